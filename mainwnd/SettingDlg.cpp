#include "mainwnd/SettingDlg.h"

// psapi.dll itself, which Windows XP has too (version 2 names kernel32 entries of Windows 7).
#define PSAPI_VERSION 1
#include <psapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "app/Paths.h"
#include "app/PersistedState.h"
#include "mainwnd/HotKey.h"
#include "mainwnd/HotKeys.h"
#include "mainwnd/Messages.h"
#include "res/resource.h"
#include "skin/SkinImage.h"
#include "skin/SkinMessageBox.h"

CSettingDlg* activeModalDialog = nullptr;

namespace {

constexpr COLORREF kGroupColour = RGB(231, 241, 247);

bool KeyDown(int vk) { return (::GetKeyState(vk) & 0xFF00) != 0; }

std::wstring WindowText(HWND wnd) {
    int len = ::GetWindowTextLengthW(wnd);
    std::wstring text(len + 1, L'\0');
    len = ::GetWindowTextW(wnd, &text[0], len + 1);
    text.resize(len > 0 ? len : 0);
    return text;
}

std::wstring FileNamePart(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The executable file name of a process, empty when it cannot be read.
std::wstring ProcessExeName(DWORD pid) {
    fw::Handle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process) return L"";
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameExW(process.Get(), nullptr, path, MAX_PATH);
    return n ? FileNamePart(std::wstring(path, n)) : L"";
}

// The top-level "#32770" windows titled exactly "VexoQuon", in Z order.
std::vector<HWND> VexoQuonDialogs() {
    std::vector<HWND> found;
    ::EnumWindows(
        [](HWND wnd, LPARAM param) CALLBACK -> BOOL {
            wchar_t title[128] = {}, cls[64] = {};
            ::GetWindowTextW(wnd, title, 128);
            ::GetClassNameW(wnd, cls, 64);
            if (wcscmp(title, L"VexoQuon") == 0 && wcscmp(cls, L"#32770") == 0)
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
            return TRUE;
        },
        (LPARAM)&found);
    return found;
}

bool HasClassAndTitle(HWND wnd, const wchar_t* cls, const wchar_t* title) {
    wchar_t c[64] = {}, t[128] = {};
    ::GetClassNameW(wnd, c, 64);
    ::GetWindowTextW(wnd, t, 128);
    return wcscmp(c, cls) == 0 && wcscmp(t, title) == 0;
}

bool IsOwnProgram(DWORD pid) {
    if (pid == ::GetCurrentProcessId()) return true;
    std::wstring exe = ProcessExeName(pid);
    return !exe.empty() && _wcsicmp(exe.c_str(), FileNamePart(ExePath()).c_str()) == 0;
}

}  // namespace

bool IsHotKeyBeingEntered() {
    HWND dialog = ::GetForegroundWindow();
    DWORD pid = 0;
    DWORD thread = dialog ? ::GetWindowThreadProcessId(dialog, &pid) : 0;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!thread || !::GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return false;
    const int id = ::GetDlgCtrlID(info.hwndFocus);
    if (id != IDC_EDIT_BOSS && id != IDC_EDIT_SWITCH && id != IDC_EDIT_SOUND) return false;
    if (::GetParent(info.hwndFocus) != dialog || !HasClassAndTitle(dialog, L"#32770", L"设置")) return false;
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    return owner && HasClassAndTitle(owner, L"#32770", L"VexoQuon") && IsOwnProgram(pid);
}

void BroadcastReloadHotKeys() {
    // Only windows of this program: another program's dialog may carry the
    // same title and would take the private message for one of its own.
    for (HWND wnd : VexoQuonDialogs()) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(wnd, &pid);
        if (IsOwnProgram(pid))
            ::PostMessageW(wnd, UM_RELOAD_HOTKEYS, 0, 0);
        else
            ::OutputDebugStringW(L"VexoQuon: a window titled VexoQuon of another (or unreadable) program is not told\n");
    }
}

CSettingDlg::CSettingDlg(HWND parent) : CDlgEx(IDD_SETTING_DIALOG, parent) {}

CSettingDlg::~CSettingDlg() = default;

void CSettingDlg::DoDataExchange() {
    m_editBoss = GetDlgItem(IDC_EDIT_BOSS);
    m_editSwitch = GetDlgItem(IDC_EDIT_SWITCH);
    m_editSound = GetDlgItem(IDC_EDIT_SOUND);
    m_lblBossPrompt.SubclassDlgItem(IDC_LBL_BOSS_PROMPT, m_hWnd);
    m_lblBossExample.SubclassDlgItem(IDC_LBL_BOSS_EXAMPLE, m_hWnd);
    m_lblSwitchPrompt.SubclassDlgItem(IDC_LBL_SWITCH_PROMPT, m_hWnd);
    m_lblSwitchExample.SubclassDlgItem(IDC_LBL_SWITCH_EXAMPLE, m_hWnd);
    m_lblSoundExample.SubclassDlgItem(IDC_LBL_SOUND_EXAMPLE, m_hWnd);
    m_lblSoundPrompt.SubclassDlgItem(IDC_LBL_SOUND_PROMPT, m_hWnd);
    m_btnOk.SubclassDlgItem(IDOK, m_hWnd);
    m_btnCancel.SubclassDlgItem(IDCANCEL, m_hWnd);
}

BOOL CSettingDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetCaptionLayout(30, 4, 0, 0, 0);
    SetTitle(L"设置");
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    fw::Bitmap close(LoadSkinBitmap(inst, IDB_CLOSE));  // the button copies it
    SetSkin(LoadSkinBitmap(inst, IDB_SMALLDLG_BK), FALSE, TRUE, close.Get(), nullptr, nullptr, nullptr);
    fw::Bitmap button(LoadSkinBitmap(inst, IDB_PUSHBUTTON));
    m_btnOk.SetImage(button.Get(), FALSE);
    m_btnCancel.SetImage(button.Get(), FALSE);
    m_groupBrush.Reset(::CreateSolidBrush(kGroupColour));

    const struct {
        HWND edit;
        int* vk;
        HotKey key;
    } keys[] = {
        {m_editBoss, &m_nBossVk, ReadBossKey()},
        {m_editSwitch, &m_nSwitchVk, ReadSwitchKey()},
        {m_editSound, &m_nSoundVk, ReadSoundKey()},
    };
    for (const auto& k : keys) {
        *k.vk = k.key.vk;
        ::SetWindowTextW(k.edit, FormatHotKey(k.key.vk, k.key.modifiers).c_str());
    }
    return TRUE;
}

bool CSettingDlg::FocusedKeyEdit(HWND* edit, KeyEdit* kind, int** vk) {
    HWND focus = ::GetFocus();
    if (!focus) return false;
    if (focus == m_editBoss) {
        *kind = KeyEdit::Boss;
        *vk = &m_nBossVk;
    } else if (focus == m_editSwitch) {
        *kind = KeyEdit::Switch;
        *vk = &m_nSwitchVk;
    } else if (focus == m_editSound) {
        *kind = KeyEdit::Sound;
        *vk = &m_nSoundVk;
    } else {
        return false;
    }
    *edit = focus;
    return true;
}

BOOL CSettingDlg::PreTranslateMessage(MSG* msg) {
    const bool systemKey = msg->message == WM_SYSKEYDOWN;
    if ((msg->message != WM_KEYDOWN && !systemKey) || !IsCapturedKeyDown(systemKey, (int)msg->wParam))
        return CDlgEx::PreTranslateMessage(msg);
    const int vk = (int)msg->wParam;
    if (IsSwallowedKey(vk)) return TRUE;
    HWND edit = nullptr;
    KeyEdit kind = KeyEdit::Boss;
    int* captured = nullptr;
    if (!FocusedKeyEdit(&edit, &kind, &captured)) return CDlgEx::PreTranslateMessage(msg);

    CapturedKey key = CaptureKey(kind, vk, *captured, KeyDown(VK_CONTROL), KeyDown(VK_SHIFT), KeyDown(VK_MENU));
    *captured = key.vk;
    ::SetWindowTextW(edit, key.text.c_str());
    ::SendMessageW(edit, EM_SETSEL, (WPARAM)key.text.size(), -1);
    ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    return TRUE;
}

void CSettingDlg::OnOK() {
    const std::wstring boss = WindowText(m_editBoss), sw = WindowText(m_editSwitch), sound = WindowText(m_editSound);
    if (KeyTextsConflict(boss, sw, sound)) {
        SkinMessageBox(m_hWnd, L"热键冲突，请重新设置不同热键值", L"VexoQuon", 0);
        return;
    }
    const struct {
        const wchar_t* iniKey;
        const std::wstring& text;
        int vk;
    } keys[] = {
        {L"ShortKey", boss, m_nBossVk},
        {L"AltWndKey", sw, m_nSwitchVk},
        {L"SndKey", sound, m_nSoundVk},
    };
    const std::wstring file = HotKeyFilePath();
    for (const auto& k : keys) {
        if (auto value = StoredKeyValue(k.text, k.vk))
            ::WritePrivateProfileStringW(kIniSection, k.iniKey, value->c_str(), file.c_str());
    }
    BroadcastReloadHotKeys();
    EndDialog(IDOK);
}

HBRUSH CSettingDlg::GroupBoxBrush(HDC dc, HWND control) {
    switch (::GetDlgCtrlID(control)) {
    case IDC_GRP_BOSS:
    case IDC_GRP_SWITCH:
    case IDC_GRP_SOUND:
        if (m_groupBrush) {
            ::SetBkColor(dc, kGroupColour);
            return m_groupBrush.Get();
        }
        break;
    }
    return nullptr;
}

LRESULT CSettingDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HBRUSH brush = GroupBoxBrush((HDC)wParam, (HWND)lParam)) return (LRESULT)brush;
        break;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}
