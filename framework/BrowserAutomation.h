// The test-only automation channel of browser host windows. The browser control
// under test has no HTML engine, so no page ever clicks a link or finishes
// loading; a test (in another process) stands in for exactly those two things
// and nothing else:
//
//   WM_COPYDATA to a browser host window (a CDHtmlDialog, a CHtmlView, or a
//   CFrameWnd, which hands it to its view), lpData = UTF-16 text, cbData even:
//     dwData kBrowserAutomationNavigate: text = URL. The host calls its
//       browser's own IWebBrowser2::Navigate(URL), as a page link would; the
//       real BeforeNavigate2 sink then sees it.
//     dwData kBrowserAutomationComplete: text = URL, NUL, title. The host
//       delivers NavigateComplete2(URL), TitleChange(title) and
//       DocumentComplete(URL) for the top-level browser to the same handlers
//       the event sink calls.
//   The answer is TRUE when the request was taken (it runs from the host's
//   message queue right after, never inside the sender's call) and FALSE for a
//   malformed request or a host without a browser.
//
//   One observation, nothing simulated: dwData kBrowserAutomationRefreshes
//   (no text) is answered with 1 + the number of times the host asked its
//   browser to reload the page, 0 for a host without a browser. Without an
//   engine a reload leaves no other trace.
//
//   Another observation: dwData kBrowserAutomationSpeakersMute (no text) to
//   a game page or hall frame is answered with 1 + the mute value (0 or 1)
//   of the speakers line as that process's own mixer reports it, 0 when it
//   cannot be read. Newer systems keep that control per program, so no other
//   process can read it.
//
// Only builds configured with VEXO_TEST_AUTOMATION=ON contain the handling; in
// other builds these numbers mean nothing to any window.
#pragma once

#include <windows.h>

constexpr ULONG_PTR kBrowserAutomationNavigate = 0x56584E56;  // "VXNV"
constexpr ULONG_PTR kBrowserAutomationComplete = 0x56584E43;  // "VXNC"
constexpr ULONG_PTR kBrowserAutomationRefreshes = 0x56584E52;  // "VXNR"
constexpr ULONG_PTR kBrowserAutomationSpeakersMute = 0x56584E4D;  // "VXNM"
constexpr DWORD kBrowserAutomationMaxBytes = 64 * 1024;
