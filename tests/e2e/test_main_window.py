"""The main game window with fake page processes: tabs, switching, closing
with confirmation, exiting with every page, and the login reports."""
import subprocess
import time

import pytest

from mainwnd import (BTN_NO, BTN_YES, MainWindow, Page, SELF_POSTED_MARKER, SC_CLOSE, UM_ADD_LOGIN, WM_CHAR,
                     WM_KEYDOWN, WM_SYSCOMMAND, answer_box, main_windows, message_boxes)
from mainwnd import dismiss_launched_login, login_windows
from wine import wait_until

TAB0_CENTER = (120 + 94, 14)
TAB1_CENTER = (120 + 189 + 94, 14)


@pytest.fixture
def main(wine, platform):
    proc = wine.start(["/QuonD"])
    win = wait_until(lambda: main_windows(wine), 30, what="the main window")[0]
    window = MainWindow(wine, proc, win["hwnd"])
    dismiss_launched_login(wine, window)  # these tests play their pages with the probe
    yield window
    if proc.poll() is None:
        proc.kill()
        proc.wait(timeout=10)


def login(wine, main, title):
    page = Page(wine, main.hwnd, title)
    page.wait_event("accepted")
    wait_until(page.frame, 10, what="the page frame")
    return page


def pe_machine(path):
    """The machine field of a PE file's header."""
    with open(path, "rb") as f:
        data = f.read(4096)
    pe = int.from_bytes(data[0x3C:0x40], "little")
    assert data[pe:pe + 4] == b"PE\0\0"
    return int.from_bytes(data[pe + 4:pe + 6], "little")


def test_the_product_has_the_trees_word_size_and_talks_to_64_bit_programs(wine, arch):
    # Every probe exchange in these tests (handles on command lines and in
    # posted messages, WM_COPYDATA) crosses the word-size boundary. A tree
    # configured for x86_64 (where the kernel runs no 32-bit programs) builds a
    # 64-bit product, and then these exchanges stay within one word size.
    expected = {"i686": 0x14C, "x86_64": 0x8664}[arch]
    assert pe_machine(wine.exe) == expected, f"VexoQuon.exe is a program for {arch}"
    assert pe_machine(wine.probe_exe) == 0x8664, "the probe plays a 64-bit program"


def test_before_the_first_page_the_window_waits_unseen_and_closes_without_asking(wine, main):
    assert main.info()["rect"] == [0, 0, 1, 1]
    assert not wine.windows(title="Wine System Tray", visible=True), "no tray icon yet"
    main.post(WM_SYSCOMMAND, SC_CLOSE, 0)
    assert main.proc.wait(timeout=20) == 0
    assert not message_boxes(wine)


def test_a_page_that_gives_up_its_first_login_ends_the_program(wine, main):
    main.post(WM_SYSCOMMAND, SC_CLOSE, SELF_POSTED_MARKER)
    assert main.proc.wait(timeout=20) == 0


def test_pages_become_tabs_of_the_maximized_window(wine, main, platform):
    first = login(wine, main, "12服-宝宝-abc")
    wait_until(lambda: main.info()["rect"] == [0, 0, 1280, 800], 10, what="maximized to the work area")
    assert first.frame()["parent"] == main.hwnd
    assert wine.windows(title="Wine System Tray", visible=True), "the tray icon is there"
    second = login(wine, main, "13服-猫猫-xyz")
    assert second.frame()["parent"] == main.hwnd
    wait_until(lambda: second.visible() and not first.visible(), 10, what="the new tab shown alone")
    reports = platform.wait_for_request("/login.htm", count=2)
    assert sorted(r["target"] for r in reports) == [
        "/login.htm?tag=quon&ver=3.0.1.1&uid=abc&index=1",
        "/login.htm?tag=quon&ver=3.0.1.1&uid=xyz&index=2",
    ]

    # The same account and server again in this window is refused.
    again = Page(wine, main.hwnd, "12服-宝宝-abc")
    again.wait_event("refused")
    assert again.proc.wait(timeout=10) == 1
    assert len(platform.requests("/login.htm")) == 2

    # Tabs react where they are drawn: 120 < x < 120 + 189 n.
    main.click(*TAB0_CENTER)
    wait_until(lambda: first.visible() and not second.visible(), 10, what="tab 0 selected")
    main.click(121 + 189, 14)
    wait_until(lambda: second.visible() and not first.visible(), 10, what="tab 1 selected")
    main.click(119, 14)  # left of the strip: no tab
    assert second.visible() and not first.visible()

    # Two pages: never narrower than 189*2 + 483 = 861 or lower than 260.
    wine.probe("move", main.hwnd, 0, 0, 300, 100)
    rect = main.info()["rect"]
    assert rect[2] - rect[0] >= 861 and rect[3] - rect[1] >= 260

    # Keys the window forwards to the page it shows.
    main.post(WM_KEYDOWN, 0x74, SELF_POSTED_MARKER)
    main.post(WM_CHAR, 4, 0x00200001)
    second.wait_event("keydown")
    assert ["keydown", "116", str(SELF_POSTED_MARKER)] in second.events()
    second.wait_event("char")
    assert not [e for e in first.events() if e[0] in ("keydown", "char")]
    second.wait_event("set_mute")  # the 400 ms timer tells every page its sound state


def test_closing_tabs_asks_and_exit_closes_every_page(wine, main):
    pages = [login(wine, main, t) for t in ("1服-甲-a", "2服-乙-b", "3服-丙-c")]
    wait_until(lambda: pages[2].visible(), 10, what="the third tab shown")
    main.click(*TAB1_CENTER)
    wine.xdotool("mousemove", 400, 120)  # away from the strip, so the hover clears
    wine.screenshot("main-window-three-tabs-before-close.png")

    # A middle click on the middle tab asks; "是" closes it and its process.
    main.click(*TAB1_CENTER, button=2)
    answer_box(wine, BTN_YES)
    pages[1].wait_event("sc_close")
    assert pages[1].proc.wait(timeout=20) == 0
    wait_until(lambda: pages[2].visible() and not pages[0].visible(), 10, what="the tab that took its place")

    # The close box of the (now second) last tab closes it after "是".
    main.click(296 + 189 + 6, 8)
    answer_box(wine, BTN_YES)
    pages[2].wait_event("sc_close")
    wait_until(lambda: pages[0].visible(), 10, what="the only tab left shown")

    # The only tab's close box asks to leave the game; "否" keeps everything.
    main.click(296 + 6, 8)
    answer_box(wine, BTN_NO)
    with pytest.raises(subprocess.TimeoutExpired):
        main.proc.wait(timeout=2)
    assert pages[0].visible() and not [e for e in pages[0].events() if e[0] == "sc_close"]

    # Closing the window asks the same; "是" ends the program and every page.
    main.post(WM_SYSCOMMAND, SC_CLOSE, 0)
    answer_box(wine, BTN_YES)
    assert main.proc.wait(timeout=20) == 0
    pages[0].wait_event("sc_close")
    assert pages[0].proc.wait(timeout=20) == 0


def test_tabs_keep_their_own_accounts_and_a_dead_page_frees_its_tab(wine, main):
    UM_REGISTER_PAGE = 1026
    # What is no page changes nothing: a null handle, a stale number, the
    # main window's own handle; a title message without data is refused.
    for bogus in (0, 12345678, main.hwnd):
        main.post(UM_REGISTER_PAGE, bogus, 0)
    assert wine.probe("copydata", main.hwnd, "x", "--cb", "0") == "0"
    time.sleep(1)
    assert main.info()["rect"] == [0, 0, 1, 1], "still waiting for its first page"

    # Two logins in flight; the second account's frame registers first.
    first = Page(wine, main.hwnd, "1服-甲-first", register=False)
    first.wait_event("accepted")
    second = login(wine, main, "2服-乙-second")
    frame = wait_until(first.frame, 10, what="the first page's frame")
    main.post(UM_REGISTER_PAGE, frame["hwnd"], 0)
    wait_until(lambda: not second.visible(), 10, what="the first account's tab")
    # Tab 0 is the second account's: closing it frees that account, not the other.
    main.click(*TAB0_CENTER, button=2)
    answer_box(wine, BTN_YES)
    second.wait_event("sc_close")
    assert Page(wine, main.hwnd, "1服-甲-first", register=False).wait_event("refused")
    again = login(wine, main, "2服-乙-second")

    # A page process that dies keeps its place for a new login, and its
    # account may log in again.
    first.proc.kill()
    first.proc.wait(timeout=10)
    retries = []

    def log_in_again():
        retries.append(Page(wine, main.hwnd, "1服-甲-first", register=False))
        event = wait_until(lambda: [e[0] for e in retries[-1].events() if e[0] in ("accepted", "refused")], 20,
                           what="an answer")
        return event[0] == "accepted"

    wait_until(log_in_again, 10, interval=0.5, what="the dead page's account accepted again")
    assert again.visible(), "the remaining tab is shown"
    retries[-1].proc.kill()
    # A new page process logs in for the lost place; when the last page dies
    # too, its place waits for a login of its own, and the window stays.
    logins = lambda: [w for w in wine.windows(cls="#32770", title="VexoQuon") if w["owner"] == main.hwnd]
    wait_until(lambda: len(logins()) == 1, 30, what="the login for the lost place")
    again.proc.kill()
    wait_until(lambda: len({w["pid"] for w in logins()}) == 2, 30, what="a login for each lost place")
    assert main.proc.poll() is None and not message_boxes(wine)


def test_a_later_page_that_gives_up_its_login_is_only_forgotten(wine, main):
    login(wine, main, "5服-丁-d")
    main.post(UM_ADD_LOGIN, 1, 0)  # a new tab's page process is now pending
    _, page = login_windows(wine, main.hwnd)
    wine.probe("navigate", page["hwnd"], "app://exitgame")  # it gives its login up
    with pytest.raises(subprocess.TimeoutExpired):
        main.proc.wait(timeout=2)
    assert not message_boxes(wine)
    # Nothing pending any more: the same request now reaches the close question.
    main.post(WM_SYSCOMMAND, SC_CLOSE, SELF_POSTED_MARKER)
    answer_box(wine, BTN_NO)
    assert main.proc.poll() is None


def region_spread(path, x, y, w, h):
    """Standard deviation of the pixels of a screen region (0 for a flat one)."""
    out = subprocess.run(["convert", path, "-crop", f"{w}x{h}+{x}+{y}", "-colorspace", "gray",
                          "-format", "%[fx:standard_deviation]", "info:"], capture_output=True, text=True)
    return float(out.stdout.strip())


def test_screenshot_of_three_tabs_one_hot(wine, main):
    titles = ["12服-宝宝-abc", "13服-猫猫-xyz", "14服-超长的名字超长的名字超长的名字-abcdefgh"]
    for t in titles:
        login(wine, main, t)
    main.click(*TAB0_CENTER)
    nudge = iter(range(1000))

    # The close mark is drawn on the hot tab only: its box has a glyph, the
    # same box of the last tab is plain tab background. The hover repaints
    # asynchronously, so keep the pointer moving over the middle tab and look
    # until it shows.
    def hot_mark_drawn():
        wine.xdotool("mousemove", 120 + 189 + 60 + next(nudge) % 2, 14)
        path = wine.screenshot("main-window-three-tabs.png")
        hot_box = region_spread(path, 296 + 189 + 2, 5, 9, 9)
        plain_box = region_spread(path, 296 + 378 + 2, 5, 9, 9)
        return hot_box > plain_box + 0.05

    wait_until(hot_mark_drawn, 15, interval=0.5, what="the close mark on the hovered tab")


def test_boss_and_sound_keys_work_through_the_keyboard_hook(wine, main):
    page = login(wine, main, "7服-戊-e")
    wait_until(lambda: main.info()["rect"] == [0, 0, 1280, 800], 10, what="maximized")
    visible = lambda: main.info()["visible"]

    # Real keys, seen by the low-level hook: first click into a Wine window so
    # that it has the X keyboard focus.
    main.click(600, 400)
    wine.xdotool("key", "F10")
    wait_until(lambda: not visible(), 10, what="the boss key to hide the window")
    tray = wine.windows(title="Wine System Tray", visible=True)[0]
    wine.xdotool("mousemove", tray["rect"][0] + 60, tray["rect"][1] + 8)
    wine.xdotool("click", "1")
    wine.xdotool("key", "F10")
    wait_until(visible, 10, what="the boss key to restore the window")

    # Ctrl+Shift+Q is not the sound key Ctrl+Q; Ctrl+Q toggles the pages' sound.
    main.click(600, 400)
    wine.xdotool("key", "ctrl+shift+q")
    wine.xdotool("key", "ctrl+q")
    wait_until(lambda: ["set_mute", "1", "0"] in page.events(), 10, what="the pages told to be silent")
    muted_at = page.events().index(["set_mute", "1", "0"])
    assert all(e != ["set_mute", "1", "0"] for e in page.events()[:muted_at])
    main.click(1280 - 141 + 13, 13)  # the sound button turns it back on
    wait_until(lambda: page.events()[-1] == ["set_mute", "0", "0"], 10, what="sound on again")

    # The hide button and the tray icon's left click toggle the same way.
    main.click(1280 - 114 + 13, 13)
    wait_until(lambda: not visible(), 10, what="the hide button")
    icon = [w for w in wine.windows(pid=tray["pid"]) if w["parent"] == tray["hwnd"]]
    target = icon[0]["rect"] if icon else [tray["rect"][0] + 4, tray["rect"][1] + 24] * 2
    wine.xdotool("mousemove", target[0] + 8, target[1] + 8)
    wine.xdotool("click", "1")
    wait_until(visible, 10, what="the tray icon's left click")
