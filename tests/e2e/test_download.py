"""The hall's game-client download and the favourites of a game frame, end to
end: the installed launcher's hall process over its real main window, the
stand-in publishing another game's configuration and installer (a copy of
the probe, which records that it was started)."""
import getpass
import glob
import os
import re
import shutil
import time

import pytest

from mainwnd import MainWindow, WM_CHAR, game_frames, main_windows, window
from wine import place_bytes, wait_until

QUESTION_TITLE = "Vexo游戏大厅"
BOX_OK = 5000
CLOSE_BUTTON = 50000
WM_KEYDOWN, VK_ESCAPE = 0x0100, 0x1B
PBM_GETPOS = 0x0408
CONFIG = "/update/ConfigAbc.htm"
FILE = "/files/Abc.exe"
TEMP = "C:\\users\\%s\\Temp" % getpass.getuser()  # Wine's user temporary folder


pytestmark = pytest.mark.usefixtures("no_leftovers")


@pytest.fixture
def main(wine, platform):
    proc = wine.start(["/QuonD"], exe=wine.installed_exe())
    win = wait_until(lambda: main_windows(wine), 30, what="the main window")[0]
    return MainWindow(wine, proc, win["hwnd"])


@pytest.fixture
def hall(wine, main, platform):
    proc = wine.start(["/gmhall", f"/{main.hwnd}"], exe=wine.installed_exe())
    frame = wait_until(lambda: game_frames(wine, main.hwnd), 20, what="the hall frame")[0]
    assert wine.probe("complete", frame["hwnd"], platform.url + "/webgame.htm", "Vexo 游戏大厅") == "1"
    frame["proc"] = proc
    return frame


class Installer:
    """Where the installer lands (a folder made new for each download in the
    user's temporary folder), and the record it leaves when it runs."""

    def __init__(self, wine, platform):
        self.wine, self.platform = wine, platform
        self.folder = wine.c("users", getpass.getuser(), "Temp")
        os.makedirs(self.folder, exist_ok=True)
        for f in self.folders():
            shutil.rmtree(f, ignore_errors=True)
        self.ini = os.path.join(wine.data_folder, "Abc.ini")
        if os.path.exists(self.ini):
            os.remove(self.ini)
        with open(wine.probe_exe, "rb") as f:
            self.bytes = f.read()

    def folders(self):
        return glob.glob(os.path.join(self.folder, "VexoGame-*"))

    def files(self, name):
        return glob.glob(os.path.join(self.folder, "VexoGame-*", name))

    def publish(self, upd_addr=None, data=None):
        self.platform.publish("Abc", "k", data or self.bytes, upd_addr=upd_addr)

    def started(self):
        records = self.files("Abc.exe.started")
        if not records:
            return None
        with open(records[0], encoding="utf-8-sig") as f:
            return f.read().splitlines()


def children(wine, dialog):
    return {w["id"]: w for w in wine.windows(pid=dialog["pid"]) if w["parent"] == dialog["hwnd"]}


def download_dialogs(wine, hall, main):
    found = []
    for w in wine.windows(cls="#32770", pid=hall["pid"], toplevel=True, visible=True):
        if w["owner"] == main.hwnd and 1025 in children(wine, w):
            found.append(w)
    return found


def bar_position(wine, bar):
    out = wine.probe("send", bar["hwnd"], PBM_GETPOS, 0, 0)
    return int(out) if out.isdigit() else -1  # a probe that did not start says nothing


def title(wine, dialog):
    return wine.probe("text", dialog["hwnd"]).strip('"')


def start_download(wine, hall, main, name="abc"):
    assert wine.probe("navigate", hall["hwnd"], f"app://entergame|{name}|http://127.0.0.1/") == "1"
    box = wait_until(lambda: [b for b in wine.windows(cls="#32770", title=QUESTION_TITLE, toplevel=True,
                                                      visible=True) if b["pid"] == hall["pid"]], 20,
                     what="the download question")[0]
    wine.probe("command", box["hwnd"], BOX_OK)
    try:
        return wait_until(lambda: download_dialogs(wine, hall, main), 10, what="the download dialog")[0]
    except AssertionError:
        # Seen once in many rounds: the question stayed up after the posted
        # "确定" (the box had just shown). Answered again, once.
        if not window(wine, box["hwnd"]):
            raise
        wine.probe("command", box["hwnd"], BOX_OK)
        return wait_until(lambda: download_dialogs(wine, hall, main), 20,
                          what="the download dialog, at the second answer")[0]


def wait_title(wine, dialog, text, timeout=30):
    wait_until(lambda: title(wine, dialog) == text, timeout, interval=0.05, what=f"the title {text}")


def ends(wine, hall, main, dialog, timeout=10):
    wait_until(lambda: not [d for d in download_dialogs(wine, hall, main) if d["hwnd"] == dialog["hwnd"]],
               timeout, interval=0.05, what="the dialog to end")
    assert hall["proc"].poll() is None, "the hall process lives on"


def test_a_hall_download_fetches_the_configuration_and_starts_the_installer(wine, platform, main, hall):
    installer = Installer(wine, platform)
    installer.publish()
    # Slow enough (some 5 s) to see the configuration arrive in the fresh
    # folder (nothing beside the executable), even when the dialog is slow to show.
    platform.set_rule(CONFIG, trickle=8, pause=0.6)
    platform.set_rule(FILE, trickle=32 * 1024, pause=0.05)
    dialog = start_download(wine, hall, main)
    assert title(wine, dialog) == "游戏下载中..."
    ids = children(wine, dialog)
    assert not ids[1]["enabled"] and ids[2]["enabled"]
    wait_until(lambda: installer.files("Config.htm"), 20, interval=0.05, what="the configuration in its folder")
    assert not os.path.exists(installer.ini)
    # Escape does not close it.
    wine.probe("post", dialog["hwnd"], WM_KEYDOWN, VK_ESCAPE, 0x00010001)
    labels = set()

    def advancing():
        text = wine.probe("text", ids[1024]["hwnd"]).strip('"')
        if text.startswith("已加载  ") and text.endswith("%"):
            labels.add(int(text[5:-1]))
        return len([p for p in labels if 0 < p < 100]) >= 3

    wait_until(advancing, 30, interval=0.05, what="the percentage to advance")
    assert not installer.files("Config.htm"), "read and deleted"
    assert 0 < bar_position(wine, ids[1025]) <= 100
    wine.screenshot("game-download.png")
    wait_title(wine, dialog, "下载完成")
    ids = children(wine, dialog)
    assert ids[1]["enabled"] and not ids[2]["enabled"]
    assert wine.probe("text", ids[1024]["hwnd"]) == '"已加载  100%"'
    wait_until(installer.started, 20, what="the installer to run")
    assert re.fullmatch(r'cmdline "%s\\VexoGame-\d+-\d+\\Abc.exe"' % re.escape(TEMP), installer.started()[0])
    assert [r["path"] for r in platform.requests(CONFIG) + platform.requests("/files/")] == [CONFIG, FILE]
    headers = {k.lower(): v for k, v in platform.requests(FILE)[0]["headers"]}
    assert headers["user-agent"] == "QZR"
    wine.probe("command", dialog["hwnd"], 1)  # "确定"
    ends(wine, hall, main, dialog)


FAULTS = [
    # (rule path, rule, published address, fails at the configuration)
    (CONFIG, {"status": 302, "headers": [["Location", "http://127.0.0.1:{port}/update/ConfigQuon.htm"]]}, None,
     True),  # a redirect is not followed
    (FILE, {"status": 302, "headers": [["Location", "http://127.0.0.1:{port}/files/Quon.exe"]]}, None, False),
    (None, {}, "installer that cannot start", False),
    (CONFIG, {"status": 404}, None, True),
    (CONFIG, {"content_length": "missing"}, None, True),
    (FILE, {"status": 404}, None, False),
    (FILE, {"content_length": "missing"}, None, False),
    (FILE, {"content_length": 0}, None, False),
    (FILE, {"content_length": 50_000_000}, None, False),  # short body
    (FILE, {"cut": 300000, "trickle": 65536, "pause": 0.02}, None, False),  # dropped mid-transfer
    (None, {}, "http://evil.example/127.0.0.1/files/Abc.exe", False),  # the substring trick
    (None, {}, "http://127.1:{port}/files/Abc.exe", False),  # reaches the stand-in, but no platform host
]


def test_each_failure_says_so_and_leaves_nothing(wine, platform, main, hall):
    for path, rule, upd_addr, at_config in FAULTS:
        platform.reset(published=True)
        installer = Installer(wine, platform)
        if upd_addr == "installer that cannot start":
            installer.publish(data=b"not a program at all " * 1000)
            upd_addr = None
        else:
            installer.publish(upd_addr.format(port=platform.port) if upd_addr else None)
        if path:
            rule = dict(rule)
            if "headers" in rule:
                rule["headers"] = [[k, v.format(port=platform.port)] for k, v in rule["headers"]]
            platform.set_rule(path, **rule)
        dialog = start_download(wine, hall, main)
        wait_title(wine, dialog, "下载失败")
        ids = children(wine, dialog)
        case = f"{path} {rule} {upd_addr}"
        if at_config:
            assert not ids[1]["enabled"] and ids[2]["enabled"], case
        else:
            wait_until(lambda: children(wine, dialog)[1]["enabled"], 10, what="确定 enabled")
            assert not children(wine, dialog)[2]["enabled"], case
        if upd_addr:
            assert not platform.requests(FILE), "an address off the platform is never requested"
        wine.probe("command", dialog["hwnd"], CLOSE_BUTTON)
        ends(wine, hall, main, dialog)
        assert not installer.folders(), case
        assert not os.path.exists(installer.ini), case
        assert installer.started() is None, case
        if "status" in rule and rule["status"] == 302:
            assert not platform.requests("/update/ConfigQuon.htm") and not platform.requests("/files/Quon.exe"), case
    # A game called "Statistic" whose configuration is not published (404):
    # the launcher's own Statistic.ini is not touched.
    stats = os.path.join(wine.data_folder, "Statistic.ini")
    os.makedirs(wine.data_folder, exist_ok=True)
    if not os.path.exists(stats):
        with open(stats, "w") as f:
            f.write("[Quon]\nGame=7\n")
    with open(stats, "rb") as f:
        before = f.read()
    dialog = start_download(wine, hall, main, name="statistic")
    wait_title(wine, dialog, "下载失败")
    assert platform.requests("/update/ConfigStatistic.htm")
    wine.probe("command", dialog["hwnd"], CLOSE_BUTTON)
    ends(wine, hall, main, dialog)
    with open(stats, "rb") as f:
        assert f.read() == before


def test_cancel_mid_transfer_again_and_again(wine, platform, main, hall):
    installer = Installer(wine, platform)
    installer.publish()
    platform.set_rule(FILE, trickle=4096, pause=0.05)
    for round_ in range(8):
        dialog = start_download(wine, hall, main)
        bar = children(wine, dialog)[1025]
        wait_until(lambda: bar_position(wine, bar) >= 1 + round_ % 3, 30,
                   interval=0.05, what="the transfer under way")
        asked = time.monotonic()
        wine.probe("command", dialog["hwnd"], 2 if round_ % 2 else CLOSE_BUTTON)  # "取消" or the close button
        ends(wine, hall, main, dialog)
        assert time.monotonic() - asked < 5
        assert not installer.folders(), "the partial installer is deleted, and its folder"
        assert installer.started() is None
    assert not [w for w in wine.windows() if w["title"].endswith("Abc.exe")]


def favourites(wine):
    return wine.c("users", getpass.getuser(), "Favorites")


def add_favourite(wine, main, hall, url, name, button=1):
    """Ctrl+D in the frame after a page (url, name) completed; answers the dialog."""
    assert wine.probe("complete", hall["hwnd"], url, name) == "1"
    wine.probe("post", hall["hwnd"], WM_CHAR, 4, 0x00200001)
    dialog = wait_until(lambda: [w for w in wine.windows(cls="#32770", title="添加收藏", toplevel=True, visible=True)
                                 if w["pid"] == hall["pid"]], 20, what="the favourites dialog")[0]
    assert dialog["owner"] == main.hwnd
    edit = children(wine, dialog)[1018]
    assert wine.probe("text", edit["hwnd"]) == '"%s"' % name.replace("\\", "\\\\")
    wine.probe("command", dialog["hwnd"], button)
    wait_until(lambda: not window(wine, dialog["hwnd"]), 10, what="the favourites dialog to end")


def shortcut_bytes(url):
    text = ("[DEFAULT]\r\nBASEURL=%s\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n"
            "[InternetShortcut]\r\nURL=%s\r\nIDList=\r\n") % (url, url)
    return text.encode("gbk")


def test_a_favourite_is_the_seven_lines_or_nothing(wine, platform, main, hall):
    folder = favourites(wine)
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "我的游戏.url")
    url = platform.url + "/quon/game.html?sid=12&acc=abc"
    add_favourite(wine, main, hall, url, "我的游戏")
    wait_until(lambda: os.path.exists(target), 10, what="the shortcut")
    with open(target, "rb") as f:
        assert f.read() == shortcut_bytes(url)
    # A second save overwrites; "取消" writes nothing.
    url2 = platform.url + "/quon/game.html?sid=3&acc=新"
    add_favourite(wine, main, hall, url2, "我的游戏")
    time.sleep(0.5)
    with open(target, "rb") as f:
        assert f.read() == shortcut_bytes(url2)
    before = sorted(os.listdir(folder))
    add_favourite(wine, main, hall, url, "我的游戏", button=2)
    # Names a file cannot carry, and an address too long for the shortcut: nothing written.
    add_favourite(wine, main, hall, url, "a?b")
    add_favourite(wine, main, hall, url, "a\\b")
    add_favourite(wine, main, hall, platform.url + "/" + "x" * 500, "太长")
    time.sleep(0.5)
    assert sorted(os.listdir(folder)) == before
    with open(target, "rb") as f:
        assert f.read() == shortcut_bytes(url2)
    # A folder that cannot be written: nothing, and the dialog still ends.
    shutil.move(folder, folder + ".saved")
    try:
        with open(folder, "w") as f:
            f.write("not a folder")
        add_favourite(wine, main, hall, url, "无处可存")
        assert os.path.isfile(folder) and open(folder).read() == "not a folder"
    finally:
        os.remove(folder)
        shutil.move(folder + ".saved", folder)
    assert hall["proc"].poll() is None


def test_a_signed_launcher_starts_only_installers_of_its_own_signer(wine, platform, tmp_path):
    from signing import Signers
    signers = Signers(str(tmp_path / "certs"))
    exe = wine.installed_exe()
    with open(exe, "rb") as f:
        launcher = f.read()
    place_bytes(signers.sign(launcher, "a", "VexoQuon"), exe)
    proc = wine.start(["/QuonD"], exe=exe)
    win = wait_until(lambda: main_windows(wine), 30, what="the main window")[0]
    main = MainWindow(wine, proc, win["hwnd"])
    hall_proc = wine.start(["/gmhall", f"/{main.hwnd}"], exe=exe)
    hall = wait_until(lambda: game_frames(wine, main.hwnd), 20, what="the hall frame")[0]
    assert wine.probe("complete", hall["hwnd"], platform.url + "/webgame.htm", "Vexo 游戏大厅") == "1"
    hall["proc"] = hall_proc
    installer = Installer(wine, platform)
    for signer, title_text in (("b", "下载失败"), (None, "下载失败"), ("a", "下载完成")):
        platform.reset(published=True)
        installer = Installer(wine, platform)
        data = signers.sign(installer.bytes, signer, "Abc") if signer else installer.bytes
        installer.publish(data=data)
        dialog = start_download(wine, hall, main)
        wait_title(wine, dialog, title_text)
        wait_until(lambda: children(wine, dialog)[1]["enabled"], 10, what="确定 enabled")
        if title_text == "下载完成":
            wait_until(installer.started, 20, what="the installer of our own signer to run")
        else:
            time.sleep(1)
            assert installer.started() is None, signer
            assert not installer.folders(), signer
        wine.probe("command", dialog["hwnd"], 1)
        ends(wine, hall, main, dialog)
