"""The framework's modal dialog driven from outside: results by button, and
Enter/Escape/F2 routed through the PreTranslateMessage chain."""
import subprocess

import pytest


TITLE = "框架对话框"


def open_demo(wine, *args):
    proc = wine.start(args, exe=wine.demo)
    title = TITLE + (" (Esc off)" if "--swallow-esc" in args else "")
    win = wine.wait_window(title=title, visible=True)
    return proc, win


def focus(wine, win):
    # Click into the edit box (dialog units 10,10 .. 190,24) so the window has the keyboard.
    left, top, right, bottom = win["rect"]
    wine.xdotool("mousemove", left + 40, top + (bottom - top) // 3)
    wine.xdotool("click", "1")


def press(wine, win, key):
    # A real key to the window that has the X focus, as a player's would be.
    focus(wine, win)
    wine.xdotool("key", key)


def test_buttons_end_the_modal_loop_with_their_result(wine):
    proc, win = open_demo(wine)
    wine.probe("command", win["hwnd"], 1001)
    assert proc.wait(timeout=30) == 77

    proc, win = open_demo(wine)
    wine.probe("command", win["hwnd"], 2)
    assert proc.wait(timeout=30) == 2


@pytest.mark.parametrize("key,result", [("Return", 1), ("Escape", 2), ("F2", 42)])
def test_keys_reach_the_dialog_through_pretranslation(wine, key, result):
    proc, win = open_demo(wine)
    press(wine, win, key)
    assert proc.wait(timeout=30) == result


def test_a_swallowed_escape_leaves_the_dialog_open(wine):
    proc, win = open_demo(wine, "--swallow-esc")
    press(wine, win, "Escape")
    with pytest.raises(subprocess.TimeoutExpired):
        proc.wait(timeout=2)
    assert proc.poll() is None
    # Still open and working: its OK button (dialog units 10,60 55x16) ends it.
    ok = [w for w in wine.windows(pid=win["pid"]) if w["id"] == 1 and w["class"] == "Button"][0]
    left, top, right, bottom = ok["rect"]
    wine.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
    wine.xdotool("click", "1")
    assert proc.wait(timeout=30) == 1
