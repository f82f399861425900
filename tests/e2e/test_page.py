"""A page process against a stand-in main window (the probe), which logs
exactly what the page sends: the account-server key with its byte count, the
frame's registration, forwarded keys and the give-up request. Also the F5 rule
with hot keys on plain F5, and the end of a page process whose main window is
gone."""
import time

from mainwnd import (BTN_YES, Owner, SELF_POSTED_MARKER, UM_PAGE_RELOAD_HOTKEYS, VK_F5, WM_KEYDOWN, WM_SYSKEYDOWN,
                     WS_CHILD, answer_box, loadgame_url, login_windows, message_boxes, process_windows, window)
from wine import wait_until

GAME = "/quon/game.html?sid=12&acc=abc"
VK_TAB, VK_F9 = 0x09, 0x78
SC_CLOSE = 0xF060


def start_page(wine, owner, count=0):
    """A page process of the installed copy, whose hot keys live in the data folder."""
    return wine.start(["/newgm", f"/{owner.hwnd}", f"/{count}"], exe=wine.installed_exe())


def navigate(wine, hwnd, url):
    assert wine.probe("navigate", hwnd, url) == "1"


def test_the_page_registers_its_key_and_frame_and_forwards_the_switch_key(wine, platform):
    wine.write_ini({})
    owner = Owner(wine)
    proc = start_page(wine, owner)
    bk, page = login_windows(wine, owner.hwnd)
    navigate(wine, page["hwnd"], loadgame_url("12服-《梦》宝宝-abc", platform.url + GAME))

    # The key goes by WM_COPYDATA with its real byte count, terminator included.
    key = "12服-宝宝-abc"
    assert owner.wait_event("copydata")[0] == ["copydata", "0", str((len(key) + 1) * 2), key]
    registered = owner.wait_event("register")
    assert len(registered) == 1 and registered[0][2] == "0", "a game page, not the hall"
    frame = int(registered[0][1])
    f = wait_until(lambda: (w := window(wine, frame)) and w["parent"] == owner.hwnd and w, 20,
                   what="the frame inside the owner")
    assert f["style"] & WS_CHILD and f["pid"] == bk["pid"]
    assert platform.wait_for_request(GAME, timeout=20)

    # Placed over the owner's page area (client 900 x 700) on a completed navigation.
    assert wine.probe("complete", frame, platform.url + GAME, "Quon") == "1"
    wait_until(lambda: (w := window(wine, frame))["visible"] and w["rect"] == [4, 30, 896, 696], 10,
               what="the frame placed")

    # Default switch key Ctrl+Tab: a plain Tab stays in the page.
    wine.probe("post", frame, WM_KEYDOWN, VK_TAB, 0x000F0001)
    # Switch key F9 without modifiers, reloaded on the main window's request.
    wine.write_ini({"AltWndKey": "0,120"})
    wine.probe("post", frame, UM_PAGE_RELOAD_HOTKEYS, 0, 0)
    wine.probe("post", frame, WM_KEYDOWN, VK_F9, SELF_POSTED_MARKER)  # marked: never a hot key
    wine.probe("post", frame, WM_KEYDOWN, VK_F9, 0x00430001)
    wine.probe("post", frame, WM_SYSKEYDOWN, VK_F9, 0x20430001)
    wait_until(lambda: len([e for e in owner.events() if e[0] in ("keydown", "syskeydown")]) >= 2, 10,
               what="the forwarded keys")
    time.sleep(0.5)
    keys = [e for e in owner.events() if e[0] in ("keydown", "syskeydown")]
    assert keys == [["keydown", "120", str(0x00430001)], ["syskeydown", "120", str(0x20430001)]]

    # F5 while the boss key is plain F5: only the marked F5 refreshes; then the
    # same with the sound key; with neither, every F5 does.
    refreshes = lambda: int(wine.probe("refreshes", frame))
    for keys_ini in ({"ShortKey": "0,116"}, {"SndKey": "0,116"}):
        before = refreshes()
        wine.write_ini(keys_ini)
        wine.probe("post", frame, UM_PAGE_RELOAD_HOTKEYS, 0, 0)
        wine.probe("post", frame, WM_KEYDOWN, VK_F5, 0x003F0001)
        wine.probe("post", frame, WM_KEYDOWN, VK_F5, SELF_POSTED_MARKER)
        wait_until(lambda: refreshes() == before + 1, 10, what="the marked F5")
        time.sleep(0.5)
        assert refreshes() == before + 1, f"the plain F5 must not refresh with {keys_ini}"
    wine.write_ini({})
    wine.probe("post", frame, UM_PAGE_RELOAD_HOTKEYS, 0, 0)
    wine.probe("post", frame, WM_KEYDOWN, VK_F5, 0x003F0001)
    wait_until(lambda: refreshes() == 3, 10, what="a plain F5 with the default keys")
    assert not [e for e in owner.events() if e[0] == "keydown" and e[1] == str(VK_F5)], "F5 is never forwarded"

    # The main window gone: the process ends within about a second.
    owner.close()
    start = time.monotonic()
    assert proc.wait(timeout=10) == 0
    assert time.monotonic() - start < 3.0


def test_a_refused_login_says_so_and_gives_up(wine, platform):
    owner = Owner(wine, refuse=True)
    proc = start_page(wine, owner, count=1)
    bk, page = login_windows(wine, owner.hwnd)
    navigate(wine, page["hwnd"], loadgame_url("S3服-A-B", platform.url + GAME))
    assert owner.wait_event("copydata")[0][3] == "3服-A-B", "capital S letters leave the server"
    box = wait_until(lambda: [b for b in message_boxes(wine) if b["pid"] == bk["pid"]], 20, what="the refusal")[0]
    assert box["owner"] == 0
    answer_box(wine, BTN_YES)
    assert owner.wait_event("sc_close")[0][1:] == [str(SC_CLOSE), str(SELF_POSTED_MARKER)]
    assert proc.wait(timeout=20) == 0
    assert not owner.events()[-1][0] == "register"
    owner.close()


def test_what_the_login_leaves_alone_and_a_login_without_its_main_window(wine, platform):
    owner = Owner(wine)
    proc = start_page(wine, owner)
    bk, page = login_windows(wine, owner.hwnd)
    platform.reset()
    # Ignored: account-info that does not decode (a NUL byte), a command nobody
    # knows. Cancelled for the external-account window: the login page's own
    # navigation to the QQ redirect never reaches the service, only the
    # window's browser asks for it (once).
    navigate(wine, page["hwnd"], "app://loadgame|12%E6%9C%8D-a%00b-abc|http://x/")
    # ...and a game address that is no web address: the game frame would run it.
    navigate(wine, page["hwnd"], "app://loadgame|12%E6%9C%8D-a-abc|javascript:alert(1)")
    navigate(wine, page["hwnd"], "app://loadgame|12%E6%9C%8D-a-abc|file:///C:/windows/win.ini")
    navigate(wine, page["hwnd"], "app://whatever")
    navigate(wine, page["hwnd"], platform.url + "/qzone/redirectToAuthorize.do?cid=4224&game=quon")
    # An ordinary address does reach it: the cancel above is what kept it away.
    navigate(wine, page["hwnd"], platform.url + "/?probe=1")
    assert platform.wait_for_request("/?probe=1", timeout=20)
    assert platform.wait_for_request("/qzone/redirectToAuthorize.do", timeout=20)
    time.sleep(1)
    assert len(platform.requests("/qzone/redirectToAuthorize.do")) == 1
    assert not [e for e in owner.events() if e[0] in ("copydata", "sc_close")]
    assert window(wine, bk["hwnd"]) and window(wine, page["hwnd"])

    # The main window goes while the login shows: the login ends with it.
    owner.close()
    start = time.monotonic()
    assert proc.wait(timeout=10) == 0
    assert time.monotonic() - start < 3.0
    assert not process_windows(wine, bk["pid"])


def test_a_first_page_takes_only_the_marked_window_of_its_main_windows_process(wine, platform):
    """A first page started before its main window ("/newgm /0 /0 /PID")
    waits for a window of that process with the main window's mark, and ends
    unseen when that process ends without one."""
    wine.write_ini({})
    owner = Owner(wine)
    start_early = lambda pid: wine.start(["/newgm", "/0", "/0", f"/{pid}"], exe=wine.installed_exe())
    proc = start_early(window(wine, owner.hwnd)["pid"])
    time.sleep(3)
    assert not wine.windows(cls="#32770", title="VexoQuon"), "no login before the window is marked"
    assert proc.poll() is None
    assert wine.probe("mark", owner.hwnd, "VexoQuon.MainWindow") == "1"
    bk, page = login_windows(wine, owner.hwnd)
    navigate(wine, page["hwnd"], "app://exitgame")
    assert owner.wait_event("sc_close")[0][1:] == [str(SC_CLOSE), str(SELF_POSTED_MARKER)]
    assert proc.wait(timeout=20) == 0

    gone = Owner(wine)
    lone = start_early(window(wine, gone.hwnd)["pid"])
    time.sleep(1)
    gone.close()
    lone.wait(timeout=20)  # ends by itself, or this times out
    assert not wine.windows(cls="#32770", title="VexoQuon")
    owner.close()
