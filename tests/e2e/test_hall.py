"""The game hall process with the real main window: it registers as the hall
(lParam 1), opens the hall page, refreshes with the main window's F5, and its
"entergame" command starts an installed login client from the data folder or
asks whether to download it."""
import os
import time

import pytest

from mainwnd import (MainWindow, Owner, Page, SELF_POSTED_MARKER, VK_F5, WM_KEYDOWN, game_frames, main_windows,
                     window)
from wine import place_file, wait_until

HALL = "/webgame.htm"
QUESTION_TITLE = "Vexo游戏大厅"
BTN_OK, BTN_CANCEL = 5000, 5001


@pytest.fixture
def main(wine, platform):
    proc = wine.start(["/QuonD"])
    win = wait_until(lambda: main_windows(wine), 30, what="the main window")[0]
    window_ = MainWindow(wine, proc, win["hwnd"])
    yield window_
    if proc.poll() is None:
        proc.kill()
        proc.wait(timeout=10)


@pytest.fixture
def hall(wine, main, platform):
    proc = wine.start(["/gmhall", f"/{main.hwnd}"])
    frame = wait_until(lambda: game_frames(wine, main.hwnd), 20, what="the hall frame")[0]
    assert wine.probe("complete", frame["hwnd"], platform.url + HALL, "Vexo 游戏大厅") == "1"
    wait_until(lambda: window(wine, frame["hwnd"])["visible"], 10, what="the hall shown")
    yield frame
    if proc.poll() is None:
        proc.kill()
        proc.wait(timeout=10)


def questions(wine, pid):
    boxes = wine.windows(cls="#32770", title=QUESTION_TITLE, toplevel=True, visible=True)
    return [b for b in boxes if b["pid"] == pid]


def answer_question(wine, pid, button, screenshot=None):
    box = wait_until(lambda: questions(wine, pid), 20, what="the download question")[0]
    if screenshot:
        wine.screenshot(screenshot)
    ids = {c["id"] for c in wine.windows(pid=pid) if c["parent"] == box["hwnd"]}
    assert {BTN_OK, BTN_CANCEL} <= ids, "确定 and 取消"
    wine.probe("command", box["hwnd"], button)
    wait_until(lambda: not questions(wine, pid), 10, what="the question to close")
    return box


def enter(wine, frame, url):
    assert wine.probe("navigate", frame["hwnd"], url) == "1"


def test_a_hall_registers_as_the_hall_once(wine, platform):
    owner = Owner(wine)
    proc = wine.start(["/gmhall", f"/{owner.hwnd}"])
    registered = owner.wait_event("register")
    frame = int(registered[0][1])
    assert registered[0][2] == "1"
    assert platform.wait_for_request(HALL, timeout=20), "the hall page is opened"
    assert window(wine, frame)["parent"] == owner.hwnd
    time.sleep(1)
    assert len([e for e in owner.events() if e[0] == "register"]) == 1
    assert not [e for e in owner.events() if e[0] == "copydata"], "no title: the hall is no tab"
    owner.close()
    assert proc.wait(timeout=10) == 0


def test_the_main_window_keeps_the_hall_apart_from_its_tabs(wine, platform, main, hall):
    assert hall["parent"] == main.hwnd
    wait_until(lambda: main.info()["rect"] == [0, 0, 1280, 800], 10, what="maximized for the hall")
    # The F5 the main window forwards (unchanged) refreshes the hall.
    wine.probe("post", hall["hwnd"], WM_KEYDOWN, VK_F5, SELF_POSTED_MARKER)
    wait_until(lambda: wine.probe("refreshes", hall["hwnd"]) == "1", 10, what="the hall refreshed")
    # A page that registers becomes the first tab and hides the hall.
    page = Page(wine, main.hwnd, "1服-甲-a")
    page.wait_event("accepted")
    wait_until(lambda: page.visible() and not window(wine, hall["hwnd"])["visible"], 10,
               what="the tab shown, the hall hidden")


def test_entergame_starts_an_installed_client_or_asks(wine, platform, main, hall):
    client = os.path.join(wine.data_folder, "Quon.exe")
    os.makedirs(wine.data_folder, exist_ok=True)
    place_file(wine.probe_exe, client)  # a copy of the probe records how it was started
    record = client + ".started"

    def starts():
        if not os.path.exists(record):
            return []
        with open(record, encoding="utf-8-sig") as f:
            return [line.split(" ", 1) for line in f.read().splitlines()]

    enter(wine, hall, f"app://entergame|quon|{platform.url}/?game=quon")
    wait_until(lambda: len(starts()) == 2, 20, what="the installed client started")
    # (The idle priority class it is started with reads back as normal under Wine.)
    assert starts()[0] == ["cmdline", r'"C:\ProgramData\Vexo\GameLogin\Quon.exe"']
    # Slashes leave the name: the same client again.
    enter(wine, hall, "app://entergame|/quon/|X")
    wait_until(lambda: len(starts()) == 4, 20, what="the client started again")
    assert not questions(wine, hall["pid"])

    # Not installed: the question; "取消" opens the game's web address.
    enter(wine, hall, f"app://entergame|xianlu|{platform.url}/?game=xianlu")
    box = answer_question(wine, hall["pid"], BTN_CANCEL, screenshot="hall-download-question.png")
    assert box["owner"] == main.hwnd
    wait_until(lambda: f"{platform.url}/?game=xianlu" in wine.opened(), 10, what="the web address opened")
    # Without a second part it is the platform's web home page.
    enter(wine, hall, "app://entergame|tiandi")
    answer_question(wine, hall["pid"], BTN_CANCEL)
    wait_until(lambda: f"{platform.url}/" in wine.opened(), 10, what="the home page opened")
    opened = len(wine.opened())
    # "确定" is the download (tested in test_download.py), not the web
    # address: xianlu is not published, so its dialog fails; it is closed.
    enter(wine, hall, f"app://entergame|xianlu|{platform.url}/?game=xianlu")
    answer_question(wine, hall["pid"], BTN_OK)
    failed = wine.wait_window(20, cls="#32770", title="下载失败", pid=hall["pid"], toplevel=True, visible=True)
    wine.probe("command", failed["hwnd"], 50000)  # its close button
    wait_until(lambda: not wine.windows(cls="#32770", title="下载失败", toplevel=True), 10, what="it to close")
    # Only web addresses are handed to the shell.
    enter(wine, hall, r"app://entergame|xianlu|file:///C:/windows/notepad.exe")
    answer_question(wine, hall["pid"], BTN_CANCEL)
    # Empty names are ignored: no question, no start.
    enter(wine, hall, "app://entergame||X")
    enter(wine, hall, "app://entergame|//|X")
    time.sleep(1.5)
    assert not questions(wine, hall["pid"])
    assert len(wine.opened()) == opened
    assert len(starts()) == 4
    assert not [w for w in wine.windows() if w["class"] == "Notepad"]
