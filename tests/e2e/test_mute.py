"""Sound mute with real main windows and their real page and hall processes:
each page process sets its own mute controls at the main window's first
tick and on every change; another main window's page and the hall keep
their sound. Wine keeps the legacy mixer's mute per program, as newer
Windows does, so each process's control is read back inside that process
(the frame answers the test channel's question)."""
import time

from mainwnd import MainWindow, game_frames, loadgame_url, login_windows, main_windows
from wine import wait_until

GAME = "/quon/game.html?sid=12&acc=abc"
SOUND_BUTTON = 1002
HALL = "/webgame.htm"


def muted(wine, frame):
    return wine.probe("muted", frame["hwnd"])


def start_main(wine, known):
    proc = wine.start(["/QuonD"])
    win = wait_until(lambda: [w for w in main_windows(wine) if w["hwnd"] not in known], 30,
                     what="a new main window")[0]
    return MainWindow(wine, proc, win["hwnd"])


def log_in(wine, platform, main, account):
    """The main window's own page process logs in; returns its game frame."""
    bk, page = login_windows(wine, main.hwnd)
    assert wine.probe("navigate", page["hwnd"], loadgame_url(account, platform.url + GAME)) == "1"
    return wait_until(lambda: [f for f in game_frames(wine, main.hwnd) if f["pid"] == bk["pid"]], 30,
                      what=f"the page frame of {account}")[0]


def test_each_page_process_mutes_itself_and_nothing_else(wine, platform):
    # Muted before its first page: the first tick after the page registers
    # tells it, and it applies it although nothing changed.
    first = start_main(wine, [])
    login_windows(wine, first.hwnd)
    wine.probe("command", first.hwnd, SOUND_BUTTON)
    page1 = log_in(wine, platform, first, "12服-宝宝-abc")
    wait_until(lambda: muted(wine, page1) == "1", 10, what="the first page muted at the first tick")

    # The hall of the same main window is never told: its sound stays on.
    hall_proc = wine.start(["/gmhall", f"/{first.hwnd}"])
    hall = wait_until(lambda: [f for f in game_frames(wine, first.hwnd) if f["pid"] != page1["pid"]], 30,
                      what="the hall frame")[0]
    assert platform.wait_for_request(HALL, timeout=20)

    # A second main window, sound on: its page's first tick writes "on" and
    # the first window's mute does not reach it.
    second = start_main(wine, [first.hwnd])
    page2 = log_in(wine, platform, second, "13服-猫猫-xyz")
    wait_until(lambda: second.info()["rect"] == [0, 0, 1280, 800], 10, what="the second window maximized")
    assert muted(wine, page2) == "0"
    assert muted(wine, page1) == "1"
    assert muted(wine, hall) == "0"

    # The second window's sound button, clicked: only its page follows, within a tick or so.
    second.click(1280 - 141 + 13, 13)
    wait_until(lambda: muted(wine, page2) == "1", 10, what="the second page muted")
    time.sleep(0.8)  # two quick clicks would make a double click
    second.click(1280 - 141 + 13, 13)
    wait_until(lambda: muted(wine, page2) == "0", 10, what="the second page's sound on again")
    assert muted(wine, page1) == "1"
    assert muted(wine, hall) == "0"

    # And the first window's sound back on.
    wine.probe("command", first.hwnd, SOUND_BUTTON)
    wait_until(lambda: muted(wine, page1) == "0", 10, what="the first page's sound on again")
    assert muted(wine, page2) == "0"

    for p in (hall_proc, first.proc, second.proc):
        p.kill()
        p.wait(timeout=10)
