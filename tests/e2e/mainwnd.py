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
    close_started_main_window(wine, timeout)
    return proc.wait(timeout=timeout)


# ---- real page and hall processes (login dialogs, game frames) ----------------

WM_CLOSE = 0x0010
WM_SYSKEYDOWN = 0x0104
VK_F5 = 0x74
UM_PAGE_RELOAD_HOTKEYS = 0x400 + 7
WS_CHILD = 0x40000000
WS_EX_LAYERED = 0x00080000
WS_EX_TOOLWINDOW = 0x00000080
WS_EX_APPWINDOW = 0x00040000


def login_windows(wine, owner, timeout=30):
    """The login background (titled VexoQuon, owned by `owner`) of a page
    process and its page dialog (owned by the background)."""
    bk = wait_until(lambda: [w for w in wine.windows(cls="#32770", title="VexoQuon") if w["owner"] == owner],
                    timeout, what="the login background")[0]
    # The page dialog is made once the background shows, and can be found
    # while it is still being set up: it is taken once it is a tool window,
    # the last of its styles, set after its browser exists.
    page = wait_until(lambda: [w for w in wine.windows(cls="#32770", pid=bk["pid"])
                               if w["owner"] == bk["hwnd"] and w["exstyle"] & WS_EX_TOOLWINDOW],
                      timeout, what="the login page dialog")[0]
    return bk, page


def window(wine, hwnd):
    found = [w for w in wine.windows() if w["hwnd"] == hwnd]
    return found[0] if found else None


def process_windows(wine, pid):
    return [w for w in wine.windows(pid=pid) if w["class"] != "IME"]


def game_frames(wine, parent):
    """Game page and hall frames that are children of `parent`."""
    return [w for w in wine.windows(cls="VexoFrameWnd") if w["parent"] == parent]


def loadgame_url(account_info, game_address):
    """The login page's command, with the account-info percent-encoded as UTF-8."""
    from urllib.parse import quote
    return "app://loadgame|" + quote(account_info, safe="") + "|" + game_address


class Owner:
    """A stand-in main window for a page or hall process, played by the probe:
    it answers the login's WM_COPYDATA and logs what the page sends it."""

    def __init__(self, wine, refuse=False):
        self.wine = wine
        self.log = os.path.join(wine.root, f"owner-{next(_page_numbers)}.log")
        args = ["owner", "VexoProbeOwner", "--log", "Z:" + self.log.replace("/", "\\")]
        if refuse:
            args.append("--refuse")
        self.proc = wine.start_probe(*args)
        self.hwnd = int(wait_until(lambda: [e for e in self.events() if e[0] == "owner"], 20,
                                   what="the stand-in owner")[0][1])

    def events(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8-sig", errors="replace") as f:
            return [line.split(" ", 3) for line in f.read().splitlines() if line.strip()]

    def wait_event(self, name, timeout=20):
        return wait_until(lambda: [e for e in self.events() if e[0] == name], timeout, what=f"owner: {name}")

    def close(self):
        self.wine.probe("post", self.hwnd, WM_CLOSE, 0, 0)
        self.proc.wait(timeout=20)


def dismiss_launched_login(wine, main, timeout=30):
    """For tests that play every page with the probe: the main window's own
    page process shows its login modally over the main window, which keeps
    the window disabled. End that process, and enable the window again as the
    end of the login would have done."""
    bk, _ = login_windows(wine, main.hwnd, timeout)
    wine.probe("kill", bk["pid"])
    wait_until(lambda: not process_windows(wine, bk["pid"]), 10, what="the launched page process to end")
    wine.probe("enable", main.hwnd, 1)
    wait_until(lambda: main.info()["enabled"], 10, what="the main window enabled")


def close_started_main_window(wine, timeout=30):
    """Closes the one unpaged main window (no question asked) and waits until it is gone."""
    win = wait_until(lambda: [w for w in main_windows(wine) if w["rect"] == [0, 0, 1, 1]], timeout,
                     what="the main window")[0]
    wine.probe("post", win["hwnd"], WM_SYSCOMMAND, SC_CLOSE, 0)
    wait_until(lambda: not [w for w in main_windows(wine) if w["hwnd"] == win["hwnd"]], timeout,
               what="the main window to close")
