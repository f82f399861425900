"""Driving the main game window from outside: finding it and its message
boxes, and fake page processes played by the probe."""
import itertools
import os

from wine import wait_until

WM_SYSCOMMAND = 0x0112
WM_KEYDOWN = 0x0100
WM_CHAR = 0x0102
SC_CLOSE = 0xF060
UM_REGISTER_PAGE = 0x400 + 2
UM_ADD_LOGIN = 0x400 + 6
SELF_POSTED_MARKER = 0x56515A51
BTN_YES, BTN_NO = 5000, 5001
_page_numbers = itertools.count(1)


def main_windows(wine):
    return [w for w in wine.windows(cls="#32770", title="VexoQuon", toplevel=True) if w["owner"] == 0]


def message_boxes(wine):
    """Skinned message boxes: owned or unowned dialogs titled VexoQuon with a button 5000."""
    boxes = []
    for w in wine.windows(cls="#32770", title="VexoQuon", toplevel=True, visible=True):
        if any(c["id"] == BTN_YES and c["parent"] == w["hwnd"] for c in wine.windows(pid=w["pid"])):
            boxes.append(w)
    return boxes


def answer_box(wine, button, timeout=20):
    box = wait_until(lambda: message_boxes(wine), timeout, what="a message box")[0]
    wine.probe("command", box["hwnd"], button)
    wait_until(lambda: not any(b["hwnd"] == box["hwnd"] for b in message_boxes(wine)), 10,
               what="the message box to close")
    return box


class MainWindow:
    def __init__(self, wine, proc, hwnd):
        self.wine, self.proc, self.hwnd = wine, proc, hwnd

    def info(self):
        found = [w for w in main_windows(self.wine) if w["hwnd"] == self.hwnd]
        return found[0] if found else None

    def post(self, msg, wparam, lparam):
        self.wine.probe("post", self.hwnd, msg, wparam, lparam)

    def click(self, x, y, button=1):
        """A real click at client point (x, y); the window sits at the screen origin when maximized."""
        left, top, _, _ = self.info()["rect"]
        self.wine.xdotool("mousemove", left + x, top + y)
        self.wine.xdotool("click", button)


class Page:
    """A fake page (or hall) process of the main window, played by the probe."""

    def __init__(self, wine, owner, title, kind=0, register=True):
        self.wine, self.title = wine, title
        self.log = os.path.join(wine.root, f"page-{next(_page_numbers)}.log")
        args = ["page", owner, title, "--log", "Z:" + self.log.replace("/", "\\"), "--kind", kind]
        if not register:
            args.append("--no-register")
        self.proc = wine.start_probe(*args)

    def events(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8-sig", errors="replace") as f:
            return [line.split() for line in f if line.strip()]

    def wait_event(self, name, timeout=20):
        return wait_until(lambda: [e for e in self.events() if e[0] == name], timeout, what=f"{self.title}: {name}")

    def frame(self):
        found = self.wine.windows(cls="VexoProbePage", title=self.title)
        return found[0] if found else None

    def visible(self):
        f = self.frame()
        return bool(f and f["visible"])


def close_unpaged_main_window(wine, proc, timeout=30):
    """Closes a main window that has no page yet (no question asked) and waits for the process."""
    win = wait_until(lambda: [w for w in main_windows(wine) if w["rect"] == [0, 0, 1, 1]], timeout,
                     what="the main window")[0]
    wine.probe("post", win["hwnd"], WM_SYSCOMMAND, SC_CLOSE, 0)
    return proc.wait(timeout=timeout)
