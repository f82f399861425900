"""The login of a game tab with the real executable in both roles: the main
window starts a page process, whose login background and page dialog appear;
the login page's commands (driven through the test-only automation channel,
since no page runs under Wine) log in, are refused, leave or minimize; the
game frame becomes a tab and opens the game address; F5 and the switch key
travel between the two processes; a game page whose process is lost logs in
again in its place; every page and hall process ends with its main window."""
import json
import subprocess
import time

import pytest

from mainwnd import (BTN_YES, MainWindow, Page, SELF_POSTED_MARKER, UM_ADD_LOGIN, VK_F5, WM_KEYDOWN, WS_CHILD,
                     WS_EX_APPWINDOW, WS_EX_LAYERED, WS_EX_TOOLWINDOW, answer_box, game_frames, loadgame_url,
                     login_windows, main_windows, message_boxes, process_windows, window)
from wine import wait_until

LOGIN_PAGE = "/quon/client/v2/index.html?cid=4224"
GAME = "/quon/game.html?sid=12&acc=abc"
ACCOUNT = "12服-《梦》宝宝-abc"
KEY = "12服-宝宝-abc"
VK_ESCAPE, VK_RETURN, VK_TAB, VK_F9 = 0x1B, 0x0D, 0x09, 0x78
UAC_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System"


@pytest.fixture
def main(wine, platform):
    """The installed copy's main window, whose switch key is F9 without
    modifiers (a posted key carries no modifier state)."""
    wine.write_ini({"AltWndKey": "0,120"})
    proc = wine.start([], exe=wine.installed_exe())
    win = wait_until(lambda: main_windows(wine), 30, what="the main window")[0]
    window_ = MainWindow(wine, proc, win["hwnd"])
    yield window_
    if proc.poll() is None:
        proc.kill()
        proc.wait(timeout=10)


def navigate(wine, hwnd, url):
    assert wine.probe("navigate", hwnd, url) == "1"


def complete(wine, hwnd, url, title):
    assert wine.probe("complete", hwnd, url, title) == "1"


def log_in(wine, main, platform, account=ACCOUNT, game=GAME):
    """Logs the pending page process in; returns its game frame."""
    bk, page = login_windows(wine, main.hwnd)
    known = {f["hwnd"] for f in game_frames(wine, main.hwnd)}
    navigate(wine, page["hwnd"], loadgame_url(account, platform.url + game))
    return wait_until(lambda: [f for f in game_frames(wine, main.hwnd) if f["hwnd"] not in known], 20,
                      what="the game frame")[0]


def gone(wine, pid, timeout=15):
    wait_until(lambda: not process_windows(wine, pid), timeout, what=f"process {pid} to end")


def test_the_login_shows_and_a_login_becomes_a_tab(wine, platform, main):
    bk, page = login_windows(wine, main.hwnd)
    bk = wait_until(lambda: (w := window(wine, bk["hwnd"])) and w["visible"] and w, 10, what="background shown")
    assert bk["client"] == [1005, 569], "the background is the PNG's size"
    assert bk["exstyle"] & WS_EX_LAYERED
    assert not page["visible"], "the page dialog waits for its page"
    assert page["exstyle"] & WS_EX_LAYERED and page["exstyle"] & WS_EX_TOOLWINDOW
    assert not page["exstyle"] & WS_EX_APPWINDOW
    assert not main.info()["enabled"], "the login is modal over the main window"
    assert platform.wait_for_request(LOGIN_PAGE, timeout=20), "the login page is requested"
    wine.screenshot("login-background.png")

    # The background drags like a caption (a real press, move and release).
    x, y = bk["rect"][0] + 300, bk["rect"][1] + 300
    wine.xdotool("mousemove", x, y)
    wine.xdotool("mousedown", 1)
    for i in range(1, 6):
        wine.xdotool("mousemove", x + 8 * i, y + 6 * i)
        time.sleep(0.05)
    wine.xdotool("mouseup", 1)
    moved = [bk["rect"][0] + 40, bk["rect"][1] + 30]
    bk = wait_until(lambda: (w := window(wine, bk["hwnd"]))["rect"][:2] == moved and w, 10, what="the drag")

    # The first completed navigation shows the page dialog at (x + 1, y - 50),
    # its browser over the whole client area.
    complete(wine, page["hwnd"], platform.url + LOGIN_PAGE, "Quon 登录")
    page = wait_until(lambda: (w := window(wine, page["hwnd"])) and w["visible"] and w, 10, what="page shown")
    assert page["rect"][:2] == [bk["rect"][0] + 1, bk["rect"][1] - 50]
    browser = [w for w in wine.windows(pid=page["pid"]) if w["parent"] == page["hwnd"]]
    assert [b["rect"] for b in browser] == [page["rect"]]
    # (Without an engine the control stays white: nothing is keyed out here.)
    wine.screenshot("login-page-dialog.png")

    # The page dialog follows the background.
    wine.probe("move", bk["hwnd"], 50, 120, 1005, 569)
    wait_until(lambda: window(wine, page["hwnd"])["rect"][:2] == [51, 70], 10, what="the page dialog to follow")

    # Escape and F5 in the page dialog, Enter in the background: nothing closes.
    for hwnd, key in ((page["hwnd"], VK_ESCAPE), (page["hwnd"], VK_F5), (bk["hwnd"], VK_RETURN),
                      (page["hwnd"], VK_RETURN)):
        wine.probe("post", hwnd, WM_KEYDOWN, key, 0x00010001)
    time.sleep(1.5)
    assert window(wine, page["hwnd"]) and window(wine, bk["hwnd"])
    assert not game_frames(wine, main.hwnd)

    # loadgame, as the login page writes it.
    navigate(wine, page["hwnd"], loadgame_url(ACCOUNT, platform.url + GAME))
    reports = platform.wait_for_request("/login.htm", timeout=20)
    assert [r["target"] for r in reports] == ["/login.htm?tag=quon&ver=3.0.1.1&uid=abc&index=1"]
    # The frame is created first and titled right after: wait for both.
    frame = wait_until(lambda: [f for f in game_frames(wine, main.hwnd) if f["title"] == "VexoQuon"], 20,
                       what="the titled game frame")[0]
    assert frame["pid"] == bk["pid"] and frame["title"] == "VexoQuon" and frame["style"] & WS_CHILD
    assert platform.wait_for_request(GAME, timeout=20), "the game frame opens the game address"
    wait_until(lambda: not window(wine, bk["hwnd"]) and not window(wine, page["hwnd"]), 10,
               what="the login windows to go")
    wait_until(lambda: main.info()["enabled"] and main.info()["rect"] == [0, 0, 1280, 800], 10,
               what="the main window enabled and maximized")

    # The tab is titled with the account-server key: the same title is refused.
    again = Page(wine, main.hwnd, KEY, register=False)
    again.wait_event("refused")

    # A completed navigation places the frame over the page area and shows it.
    complete(wine, frame["hwnd"], platform.url + GAME, "Quon")
    wait_until(lambda: (f := window(wine, frame["hwnd"]))["visible"] and f["rect"] == [4, 30, 1276, 796], 10,
               what="the frame over the page area")
    wine.screenshot("login-first-tab.png")


def test_a_repeated_account_is_refused_and_later_logins_leave_quietly(wine, platform, main):
    first = log_in(wine, main, platform)
    assert platform.wait_for_request("/login.htm", timeout=20)

    # The same account on the same server in a second tab.
    main.post(UM_ADD_LOGIN, 1, 0)
    bk, page = login_windows(wine, main.hwnd)
    navigate(wine, page["hwnd"], loadgame_url(ACCOUNT, platform.url + GAME))
    box = wait_until(lambda: [b for b in message_boxes(wine) if b["pid"] == bk["pid"]], 20,
                     what="the refusal")[0]
    assert box["owner"] == 0
    wine.screenshot("login-refused.png")
    answer_box(wine, BTN_YES)
    gone(wine, bk["pid"])
    assert len(platform.requests("/login.htm")) == 1

    # The same account on another server is a new tab.
    main.post(UM_ADD_LOGIN, 1, 0)
    second = log_in(wine, main, platform, account="13服-《梦》宝宝-abc", game="/quon/game.html?sid=13&acc=abc")
    assert second["pid"] != first["pid"]
    assert len(platform.wait_for_request("/login.htm", count=2, timeout=20)) == 2

    # In a later tab, minimize and exitgame both give the login up; the main
    # window forgets the pending page and asks nothing.
    for command in ("app://minimize", "app://exitgame"):
        main.post(UM_ADD_LOGIN, 1, 0)
        bk, page = login_windows(wine, main.hwnd)
        navigate(wine, page["hwnd"], command)
        gone(wine, bk["pid"])
        assert not main.info()["iconic"]
    time.sleep(1)
    assert main.proc.poll() is None and not message_boxes(wine)
    assert len(game_frames(wine, main.hwnd)) == 2


def test_minimize_and_exitgame_in_the_first_tab(wine, platform, main):
    bk, page = login_windows(wine, main.hwnd)
    # With user account control in force only the login minimizes.
    wine.reg_add(UAC_KEY, "/v", "EnableLUA", "/t", "REG_DWORD", "/d", "1")
    navigate(wine, page["hwnd"], "app://minimize")
    wait_until(lambda: window(wine, bk["hwnd"])["iconic"], 10, what="the login minimized")
    assert not main.info()["iconic"]

    # Without it the main window minimizes (positions 4 and 5 are not read).
    wine.reg_add(UAC_KEY, "/v", "EnableLUA", "/t", "REG_DWORD", "/d", "0")
    navigate(wine, page["hwnd"], "app:xyminimize")
    wait_until(lambda: main.info()["iconic"], 10, what="the main window minimized")
    assert window(wine, bk["hwnd"]), "the login stays"

    # exitgame in the only login: the whole program ends.
    navigate(wine, page["hwnd"], "app://exitgame")
    assert main.proc.wait(timeout=20) == 0
    gone(wine, bk["pid"])


def test_f5_and_the_switch_key_cross_between_the_processes(wine, platform, main):
    frame = log_in(wine, main, platform)
    complete(wine, frame["hwnd"], platform.url + GAME, "Quon")
    wait_until(lambda: window(wine, frame["hwnd"])["visible"], 10, what="the frame shown")
    refreshes = lambda: int(wine.probe("refreshes", frame["hwnd"]))
    assert refreshes() == 0

    # The main window forwards F5 to the page it shows; with the default hot
    # keys (F10, Ctrl+Q) the page refreshes on F5 with and without the marker.
    main.post(WM_KEYDOWN, VK_F5, SELF_POSTED_MARKER)
    wait_until(lambda: refreshes() == 1, 10, what="refresh on the marked F5")
    main.post(WM_KEYDOWN, VK_F5, 0x003F0001)
    wait_until(lambda: refreshes() == 2, 10, what="refresh on a plain F5")

    # The switch key pressed in a page goes to the main window, which moves on
    # to the next tab.
    other = Page(wine, main.hwnd, "13服-猫猫-xyz")
    other.wait_event("accepted")
    wait_until(lambda: other.visible() and not window(wine, frame["hwnd"])["visible"], 10,
               what="the second tab shown")
    wine.probe("post", frame["hwnd"], WM_KEYDOWN, VK_TAB, 0x000F0001)  # not the switch key
    wine.probe("post", frame["hwnd"], WM_KEYDOWN, VK_F9, SELF_POSTED_MARKER)  # marked: never a hot key
    time.sleep(1.5)
    assert other.visible() and not window(wine, frame["hwnd"])["visible"]
    wine.probe("post", frame["hwnd"], WM_KEYDOWN, VK_F9, 0x00430001)
    wait_until(lambda: window(wine, frame["hwnd"])["visible"] and not other.visible(), 10,
               what="the switch to the first tab")
    assert refreshes() == 2


def test_closing_the_main_window_ends_every_page_and_hall_process(wine, platform, main):
    frame = log_in(wine, main, platform)
    main.post(UM_ADD_LOGIN, 1, 0)
    pending, _ = login_windows(wine, main.hwnd)
    hall = wine.start(["/gmhall", f"/{main.hwnd}"])
    hall_frame = wait_until(lambda: [f for f in game_frames(wine, main.hwnd) if f["pid"] != frame["pid"]], 20,
                            what="the hall frame")[0]
    pids = {frame["pid"], pending["pid"], hall_frame["pid"]}
    assert len(pids) == 3

    main.proc.kill()
    main.proc.wait(timeout=10)
    start = time.monotonic()
    assert hall.wait(timeout=10) == 0
    wait_until(lambda: not any(process_windows(wine, pid) for pid in pids), 10, interval=0.05,
               what="every page and hall process to end")
    assert time.monotonic() - start < 3.0, "the 800 ms owner watch ends them within about a second"


# ---- a lost game page --------------------------------------------------------

UM_TRAY_NOTIFY, WM_LBUTTONUP = 0x400 + 1, 0x0202
CRASH = "0xC0000005"  # what an access violation leaves as the exit code
TAB_Y = 14


def tab_x(i):
    return 120 + 189 * i + 60


def shown(wine, frame):
    w = window(wine, frame["hwnd"])
    return bool(w and w["visible"])


def tab_title(wine, main, i):
    """Tab i's title, as its tooltip shows it once the pointer rests there
    (a move restarts the tooltip's delay, so the pointer stays put)."""
    pid = main.info()["pid"]
    tips = lambda: wine.windows(cls="tooltips_class32", pid=pid, visible=True)

    def tip():
        wine.xdotool("mousemove", tab_x(i), TAB_Y)
        wine.xdotool("mousemove", tab_x(i) + 1, TAB_Y)  # a second hit test takes the new tab's title
        try:
            shown_tips = wait_until(tips, 3, interval=0.2, what="the tooltip")
        except AssertionError:
            return None
        return json.loads(wine.probe("text", shown_tips[0]["hwnd"]))

    try:
        return wait_until(tip, 20, interval=0.1, what=f"tab {i}'s tooltip")
    finally:
        wine.xdotool("mousemove", 600, 400)  # off the strip, so the tip goes
        wait_until(lambda: not tips(), 10, what="the tooltip to go")


def test_a_lost_page_logs_in_again_in_its_place(wine, platform, main):
    accounts = [("12服-《梦》宝宝-abc", "12服-宝宝-abc"), ("13服-《梦》猫猫-xyz", "13服-猫猫-xyz"),
                ("14服-《梦》狗狗-def", "14服-狗狗-def")]
    frames = []
    for n, (account, _) in enumerate(accounts):
        if n:
            main.post(UM_ADD_LOGIN, 1, 0)
        frames.append(log_in(wine, main, platform, account=account, game=f"/quon/game.html?sid={n}"))
    wait_until(lambda: main.info()["enabled"], 10, what="the main window enabled")
    main.click(tab_x(0), TAB_Y)
    wait_until(lambda: shown(wine, frames[0]), 10, what="the first tab shown")

    # The middle tab's process crashes while the first is in view.
    assert wine.probe("kill", frames[1]["pid"], CRASH) == "1"
    bk, page = login_windows(wine, main.hwnd)  # a new page process's login, for place 2
    assert bk["pid"] not in {f["pid"] for f in frames}
    assert shown(wine, frames[0]) and not shown(wine, frames[2]), "the tab in view stays"
    assert main.proc.poll() is None and not message_boxes(wine)

    # Its login goes to place 2; the lost tab's account is free again.
    frame = log_in(wine, main, platform, account=accounts[1][0], game="/quon/game.html?sid=1b")
    assert frame["pid"] == bk["pid"]
    wait_until(lambda: main.info()["enabled"], 10, what="the main window enabled")
    assert len(game_frames(wine, main.hwnd)) == 3
    assert tab_title(wine, main, 1) == accounts[1][1]
    for i, f in ((2, frames[2]), (1, frame), (0, frames[0])):
        main.click(tab_x(i), TAB_Y)
        wait_until(lambda: shown(wine, f), 10, what=f"tab {i} showing its frame")

    # Lost again within two minutes: the place goes, with a word to the player.
    assert wine.probe("kill", frame["pid"], CRASH) == "1"
    box = wait_until(lambda: [b for b in message_boxes(wine) if b["pid"] == main.info()["pid"]], 20,
                     what="the lost-page box")[0]
    wine.screenshot("lost-page-box.png")
    answer_box(wine, BTN_YES)
    assert box["owner"] == main.hwnd
    assert not [w for w in wine.windows(cls="#32770", title="VexoQuon") if w["owner"] == main.hwnd], "no new login"
    assert shown(wine, frames[0]), "the tab in view stays"
    main.click(tab_x(1), TAB_Y)
    wait_until(lambda: shown(wine, frames[2]), 10, what="the third tab now second")
    assert tab_title(wine, main, 1) == accounts[2][1]

    # Down to one tab; its loss brings the login of a new first page, and the
    # launcher stays. Behind the boss key that login waits for the window.
    main.click(tab_x(1), TAB_Y, button=2)
    answer_box(wine, BTN_YES)
    gone(wine, frames[2]["pid"])
    main.post(UM_TRAY_NOTIFY, 1, WM_LBUTTONUP)
    wait_until(lambda: not main.info()["visible"], 10, what="the window hidden")
    assert wine.probe("kill", frames[0]["pid"], CRASH) == "1"
    gone(wine, frames[0]["pid"])
    time.sleep(1)
    assert not [w for w in wine.windows(cls="#32770", title="VexoQuon") if w["owner"] == main.hwnd]
    main.post(UM_TRAY_NOTIFY, 1, WM_LBUTTONUP)
    bk, page = login_windows(wine, main.hwnd)
    assert main.info()["visible"] and main.proc.poll() is None and not message_boxes(wine)
    # That login lost too, within two minutes: the box, then a first login again.
    assert wine.probe("kill", bk["pid"], CRASH) == "1"
    answer_box(wine, BTN_YES)
    bk, page = login_windows(wine, main.hwnd)
    assert main.proc.poll() is None
    # Leaving that first login ends the program, as at the start.
    navigate(wine, page["hwnd"], "app://exitgame")
    assert main.proc.wait(timeout=20) == 0
