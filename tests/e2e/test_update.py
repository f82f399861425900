"""Self-update end to end: the installed launcher under Wine checks the
configuration the stand-in publishes, downloads under its progress dialog,
checks the new file's own key, swaps itself, starts the new file and waits
for its main window; every failure keeps the old executable running; a new
file that does not come up is rolled back; the daily gate makes no request
at all."""
import datetime
import hashlib
import os
import struct
import time

import pytest

from standin import PlatformServer
from mainwnd import close_started_main_window, close_unpaged_main_window, main_windows
from wine import place_bytes, wait_until

PROGRAM_KEY = r"Software\Vexo\GameLogin\Quon"
SESSION_KEY = r"System\CurrentControlSet\Control\Session Manager"
CONFIG = "/update/ConfigQuon.htm"
FILE = "/files/Quon.exe"
TITLE = "版本更新中..."
PBM_GETPOS = 0x0408
WM_KEYDOWN, VK_ESCAPE = 0x0100, 0x1B
CLOSE_BUTTON = 50000
WS_EX_TOPMOST = 0x8


pytestmark = pytest.mark.usefixtures("no_leftovers")


def version_key(data):
    return hashlib.md5(data).hexdigest()[:28] + "3011"


def utc_systemtime(day):
    """The 16-byte SYSTEMTIME of "UpdTime" for a UTC date (noon)."""
    return struct.pack("<8H", day.year, day.month, (day.weekday() + 1) % 7, day.day, 12, 0, 0, 0)


def utc_today():
    return datetime.datetime.now(datetime.timezone.utc).date()


class Launcher:
    """The launcher installed in the data folder, where mode 2 runs."""

    def __init__(self, wine, platform):
        self.wine, self.platform = wine, platform
        self.exe = wine.installed_exe()
        self.folder = os.path.dirname(self.exe)
        with open(self.exe, "rb") as f:
            self.bytes = f.read()
        # The "new version": the same program with other bytes (a tail), so
        # with the same version resource and another key.
        self.new_bytes = self.bytes + b"\0" * 4096 + b"the next version"
        for name in ("OldQuon.exe", "NewQuon.exe", "VexoQuon.exe.started", "ConfigQuon.htm"):
            self.remove(name)
        wine.reg_delete("HKLM\\" + PROGRAM_KEY, "/v", "UpdTime")
        wine.reg_delete("HKLM\\" + PROGRAM_KEY, "/v", "RefusedKey")
        wine.reg_delete("HKLM\\" + PROGRAM_KEY, "/v", "DisableDays")
        wine.reg_delete("HKLM\\" + SESSION_KEY, "/v", "PendingFileRenameOperations")

    def path(self, name):
        return os.path.join(self.folder, name)

    def remove(self, name):
        if os.path.exists(self.path(name)):
            os.remove(self.path(name))

    def current_bytes(self):
        with open(self.exe, "rb") as f:
            return f.read()

    def publish_new(self, upd_addr=None):
        self.platform.publish("Quon", version_key(self.new_bytes), self.new_bytes, upd_addr=upd_addr)

    def start(self, *args):
        return self.wine.start(list(args) or ["/QuonD"], exe=self.exe)

    def upd_time(self):
        return self.wine.reg("HKLM", PROGRAM_KEY, "UpdTime")

    def pending_deletions(self):
        raw = self.wine.reg("HKLM", SESSION_KEY, "PendingFileRenameOperations")
        if not raw:
            return []
        names = raw.decode("utf-16-le").split("\0")
        # Pairs of source and destination; a deletion has an empty destination.
        return [names[i].rsplit("\\", 1)[-1] for i in range(0, len(names) - 1, 2) if names[i] and not names[i + 1]]

    def refused_key(self):
        raw = self.wine.reg("HKLM", PROGRAM_KEY, "RefusedKey")
        return raw.decode("utf-16-le").rstrip("\0") if raw else None

    def came_up(self, proc, timeout=90):
        """The updater ends once the main window it started is up; that window is closed again."""
        assert proc.wait(timeout=timeout) == 0
        close_started_main_window(self.wine)


def progress_dialogs(wine):
    return wine.windows(cls="#32770", title=TITLE, toplevel=True, visible=True)


def bar_of(wine, dialog):
    return [w for w in wine.windows(pid=dialog["pid"]) if w["parent"] == dialog["hwnd"] and w["id"] == 1000][0]


def position(wine, bar):
    out = wine.probe("send", bar["hwnd"], PBM_GETPOS, 0, 0)
    return int(out) if out.lstrip("-").isdigit() else -1


def runs_old_version(launcher, proc):
    """The old executable kept running: its main window opens; it is closed again."""
    wait_until(lambda: main_windows(launcher.wine), 40, what="the main window of the old version")
    assert close_unpaged_main_window(launcher.wine, proc) == 0
    assert launcher.current_bytes() == launcher.bytes
    assert launcher.upd_time() is None


def test_a_published_key_equal_to_ours_is_no_update_and_another_one_is(wine, platform):
    launcher = Launcher(wine, platform)
    platform.publish("Quon", version_key(launcher.bytes).upper(), launcher.new_bytes)  # case is ignored
    proc = launcher.start()
    runs_old_version(launcher, proc)
    assert len(platform.requests(CONFIG)) == 1 and not platform.requests(FILE)
    assert not os.path.exists(launcher.path("ConfigQuon.htm")), "read and deleted"

    # Another key: the dialog shows and advances, the new bytes replace the
    # old ones and are the program that starts.
    platform.reset()
    launcher.publish_new()
    platform.set_rule(FILE, trickle=32 * 1024, pause=0.05)
    proc = launcher.start()
    dialog = wine.wait_window(30, cls="#32770", title=TITLE, toplevel=True, visible=True)
    assert dialog["exstyle"] & WS_EX_TOPMOST and dialog["owner"] == 0
    left, top, right, bottom = dialog["rect"]
    assert abs((left + right) / 2 - 640) <= 1 and abs((top + bottom) / 2 - 400) <= 1, "centred on the desktop"
    bar = bar_of(wine, dialog)
    seen = set()

    def advanced():
        seen.add(position(wine, bar))
        return len({p for p in seen if 0 < p < 100}) >= 3

    wait_until(advanced, 30, interval=0.05, what="the bar to advance")
    wine.screenshot("update-progress.png")
    launcher.came_up(proc)
    assert launcher.current_bytes() == launcher.new_bytes
    with open(launcher.path("OldQuon.exe"), "rb") as f:
        assert f.read() == launcher.bytes
    assert not os.path.exists(launcher.path("NewQuon.exe"))
    assert "OldQuon.exe" in launcher.pending_deletions()
    assert launcher.upd_time()[:8] == utc_systemtime(utc_today())[:8]
    [download] = platform.requests(FILE)
    headers = {k.lower(): v for k, v in download["headers"]}
    assert headers["user-agent"] == "QZR" and headers["accept-language"] == "zh-cn"
    assert headers["host"] == f"127.0.0.1:{platform.port}"


@pytest.mark.parametrize("fault", [
    {"path": FILE, "content_length": "missing"},
    {"path": FILE, "status": 404},
    {"path": FILE, "status": 500},
    {"path": FILE, "content_length": 0},
    {"path": FILE, "content_length": 50_000_000},  # short body: fewer bytes than announced
    {"path": FILE, "cut": 300000, "trickle": 65536, "pause": 0.02},  # dropped mid-transfer
    {"path": FILE, "drop": True},
    {"upd_addr": "http://evil.example/127.0.0.1/files/Quon.exe"},  # the substring trick
    {"upd_addr": "http://127.1:{port}/files/Quon.exe"},  # reaches the stand-in, but no platform host
], ids=["no-length", "404", "500", "length-0", "short", "dropped", "no-answer", "substring", "other-host"])
def test_each_failed_download_keeps_the_old_executable(wine, platform, fault):
    launcher = Launcher(wine, platform)
    fault = dict(fault)
    upd_addr = fault.pop("upd_addr", None)
    launcher.publish_new(upd_addr=upd_addr.format(port=platform.port) if upd_addr else None)
    if fault:
        platform.set_rule(fault.pop("path"), **fault)
    proc = launcher.start()
    runs_old_version(launcher, proc)
    assert "NewQuon.exe" in launcher.pending_deletions()
    if upd_addr:
        assert not platform.requests(FILE), "an address off the platform is never requested"


def test_cancel_mid_transfer_again_and_again(wine, platform):
    launcher = Launcher(wine, platform)
    launcher.publish_new()
    platform.set_rule(FILE, trickle=4096, pause=0.05)  # about 16 s for the whole file
    for round_ in range(8):
        proc = launcher.start()
        dialog = wine.wait_window(30, cls="#32770", title=TITLE, toplevel=True, visible=True)
        bar = bar_of(wine, dialog)
        wait_until(lambda: position(wine, bar) >= 1 + round_ % 3, 30, interval=0.05, what="the transfer under way")
        asked = time.monotonic()
        if round_ % 2:
            wine.probe("command", dialog["hwnd"], CLOSE_BUTTON)
        else:
            wine.probe("post", dialog["hwnd"], WM_KEYDOWN, VK_ESCAPE, 0x00010001)
        wait_until(lambda: not [d for d in progress_dialogs(wine) if d["hwnd"] == dialog["hwnd"]], 10,
                   interval=0.05, what="the dialog to end")
        assert time.monotonic() - asked < 5
        runs_old_version(launcher, proc)
        assert "NewQuon.exe" in launcher.pending_deletions()
    # Enter does nothing.
    proc = launcher.start()
    dialog = wine.wait_window(30, cls="#32770", title=TITLE, toplevel=True, visible=True)
    wine.probe("post", dialog["hwnd"], WM_KEYDOWN, 0x0D, 0x001C0001)
    time.sleep(1)
    assert [d for d in progress_dialogs(wine) if d["hwnd"] == dialog["hwnd"]]
    wine.probe("command", dialog["hwnd"], CLOSE_BUTTON)
    runs_old_version(launcher, proc)


def test_a_new_file_that_cannot_take_its_place_puts_the_old_one_back(wine, platform):
    launcher = Launcher(wine, platform)
    launcher.publish_new()
    platform.set_rule(FILE, trickle=65536, pause=0.05)
    proc = launcher.start()
    new = launcher.path("NewQuon.exe")
    wait_until(lambda: os.path.exists(new), 30, interval=0.05, what="the download to begin")
    # Something holds the new file open without letting it be moved.
    holder = wine.start_probe("hold", "C:\\ProgramData\\Vexo\\GameLogin\\NewQuon.exe", 60)
    assert holder.stdout.readline().strip() == b"1"
    runs_old_version(launcher, proc)
    assert not os.path.exists(launcher.path("OldQuon.exe")), "the old file is back under its name"
    assert "NewQuon.exe" in launcher.pending_deletions()
    holder.kill()


def test_mode_5_with_no_configuration_fails_at_once_and_opens_the_window(wine, platform):
    launcher = Launcher(wine, platform)
    platform.set_rule(CONFIG, status=404)
    proc = launcher.start("/update")
    runs_old_version(launcher, proc)
    assert platform.requests(CONFIG), "the forced check asked"
    assert not platform.requests(FILE) and not platform.requests("/active.htm")
    # The dialog ran (and ended at once, too soon to be seen): its cancel
    # result is what marks the file for deletion.
    assert "NewQuon.exe" in launcher.pending_deletions()


def test_the_daily_gate_makes_no_request_at_all(wine, platform):
    launcher = Launcher(wine, platform)
    launcher.publish_new()
    today = utc_today()
    hexed = lambda b: b.hex()
    # The same UTC day as the last applied update.
    wine.reg_add("HKLM\\" + PROGRAM_KEY, "/v", "UpdTime", "/t", "REG_BINARY", "/d", hexed(utc_systemtime(today)))
    proc = launcher.start()
    wait_until(lambda: main_windows(wine), 40, what="the main window")
    assert close_unpaged_main_window(wine, proc) == 0
    # A disabled weekday (the last update was yesterday).
    yesterday = today - datetime.timedelta(days=1)
    wine.reg_add("HKLM\\" + PROGRAM_KEY, "/v", "UpdTime", "/t", "REG_BINARY", "/d", hexed(utc_systemtime(yesterday)))
    weekday = (today.weekday() + 1) % 7
    days = bytes([(weekday + 3) % 7, weekday, (weekday + 5) % 7, 0])
    wine.reg_add("HKLM\\" + PROGRAM_KEY, "/v", "DisableDays", "/t", "REG_BINARY", "/d", hexed(days))
    proc = launcher.start()
    wait_until(lambda: main_windows(wine), 40, what="the main window")
    assert close_unpaged_main_window(wine, proc) == 0
    # An install run (mode 0) never checks either.
    platform.set_rule("/install.htm", delay=0)
    assert wine.run([]) == 0
    from mainwnd import close_started_main_window
    close_started_main_window(wine)
    assert platform.requests("/install.htm")
    assert not platform.requests("/update/"), "no configuration request"
    assert launcher.current_bytes() == launcher.bytes
    # "/update" checks on a disabled day all the same (and updates).
    proc = launcher.start("/update")
    launcher.came_up(proc)
    assert len(platform.requests(CONFIG)) == 1
    assert launcher.current_bytes() == launcher.new_bytes


def exits_at_once(data, code=0xC0000005):
    """The same program whose entry point returns `code` at once: a new
    version that crashes before any window (mov eax, code; ret)."""
    data = bytearray(data)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    entry = struct.unpack_from("<I", data, pe + 24 + 16)[0]
    table = pe + 24 + optional_size
    for i in range(sections):
        vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if vaddr <= entry < vaddr + max(vsize, rsize):
            at = raw + entry - vaddr
            data[at:at + 6] = b"\xB8" + struct.pack("<I", code) + b"\xC3"
            return bytes(data)
    raise AssertionError("no section holds the entry point")


def test_what_is_refused_and_what_is_rolled_back(wine, platform):
    launcher = Launcher(wine, platform)
    # A served file whose own key is not the published one: refused after
    # the download, deleted, the old executable runs on.
    platform.publish("Quon", version_key(launcher.new_bytes + b"x"), launcher.new_bytes)
    runs_old_version(launcher, launcher.start("/update"))
    assert len(platform.requests(FILE)) == 1
    assert not os.path.exists(launcher.path("NewQuon.exe"))

    # A 302 from the platform's host to another host: refused, and that host
    # hears nothing.
    other = PlatformServer(port=0, host="127.0.0.2").start()
    try:
        platform.reset()
        launcher.publish_new()
        platform.set_rule(FILE, status=302, headers=[["Location", other.url + FILE]], body="moved")
        runs_old_version(launcher, launcher.start("/update"))
        assert len(platform.requests(FILE)) == 1
        assert not other.requests(), "no request follows a redirect"
    finally:
        other.stop()

    # A new executable that ends at once with a crash code: the old one is
    # back and opens its window, the refused key is recorded, and the next
    # start does not fetch that key again.
    platform.reset()
    platform.clear_rule(FILE)
    crashing = exits_at_once(launcher.new_bytes)
    platform.publish("Quon", version_key(crashing), crashing)
    proc = launcher.start()
    assert proc.wait(timeout=90) == 0
    close_started_main_window(wine)  # the old executable's window, started by the rollback
    assert launcher.current_bytes() == launcher.bytes
    assert launcher.refused_key() == version_key(crashing)
    assert launcher.upd_time() is None
    assert len(platform.requests(FILE)) == 1
    platform.reset()
    runs_old_version(launcher, launcher.start())
    assert platform.requests(CONFIG) and not platform.requests(FILE), "a refused key is not fetched again"


def test_a_signed_launcher_takes_only_its_own_signers_update(wine, platform, tmp_path):
    from signing import Signers, release
    signers = Signers(str(tmp_path / "certs"))
    launcher = Launcher(wine, platform)
    unsigned = launcher.bytes
    signed = signers.sign(unsigned, "a", "VexoQuon")

    def install_signed():
        place_bytes(signed, launcher.exe)  # the last case's launcher may still run from it
        launcher.bytes = signed
        launcher.remove("OldQuon.exe")
        wine.reg_delete("HKLM\\" + PROGRAM_KEY, "/v", "UpdTime")

    # Refused: signed by the other signer of the same name; signed by ours
    # but one byte changed afterwards; not signed at all. Each is published
    # with its own right key, so only the signature refuses it.
    same_name = signers.sign(unsigned, "b", "VexoQuon next")
    flipped = bytearray(signers.sign(unsigned, "a", "VexoQuon next"))
    flipped[len(flipped) // 2] ^= 0x01
    for case, data in (("other signer", same_name), ("flipped byte", bytes(flipped)),
                       ("unsigned", launcher.new_bytes)):
        install_signed()
        platform.reset()
        platform.publish("Quon", version_key(data), data)
        runs_old_version(launcher, launcher.start("/update"))
        assert len(platform.requests(FILE)) == 1, case
        assert not os.path.exists(launcher.path("NewQuon.exe")), case

    # Accepted: the same signer; swapped, started, and "UpdTime" written once
    # its window is up.
    install_signed()
    platform.reset()
    good, key = release(unsigned + b"next", str(tmp_path / "release"), platform.url + FILE, signers)
    assert key == version_key(good)
    platform.publish("Quon", key, good)
    launcher.came_up(launcher.start("/update"))
    assert launcher.current_bytes() == good
    assert launcher.upd_time()[:8] == utc_systemtime(utc_today())[:8]
