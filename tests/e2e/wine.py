"""A Wine session for end-to-end tests: a fresh prefix, its own Xvfb display and
wineserver, and helpers to run the launcher and the probe in it."""
import datetime
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SESSION_SH = os.path.join(os.path.dirname(HERE), "wine", "session.sh")
ASOUND = os.path.join(os.path.dirname(HERE), "wine", "asound-null.conf")


def wait_until(condition, timeout=15.0, interval=0.1, what="condition"):
    """Polls condition() until it returns something truthy; returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(interval)


def run_console(argv, env, timeout):
    """(exit code, what it printed) of a console program run under Wine.

    Its output goes to a file and the wait is for the process itself, not for
    the end of a pipe: once every program of a session has ended, Wine ends
    its desktop and services, and the next process to start brings them back
    as its children, with its Unix stderr, which they keep open long after
    the program has ended."""
    with tempfile.TemporaryFile() as out:
        p = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
        try:
            p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
            raise
        out.seek(0)
        return p.returncode, out.read().decode("utf-8", errors="replace").strip()


def pe_is_64bit(path):
    """Whether a Windows executable is a 64-bit (PE32+) one."""
    with open(path, "rb") as f:
        header = f.read(4096)
    pe = int.from_bytes(header[0x3C:0x40], "little")
    return header[pe:pe + 4] == b"PE\0\0" and header[pe + 4:pe + 6] == b"\x64\x86"


def display_in_use(n):
    """A display is taken while the X server named in its lock file runs; a
    lock left by a killed server does not count (Xvfb replaces it)."""
    try:
        with open(f"/tmp/.X{n}-lock") as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        return os.path.exists(f"/tmp/.X11-unix/X{n}")
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        return False
    except PermissionError:
        return True


def free_display():
    for n in range(200, 400):
        if not display_in_use(n):
            return n
    raise RuntimeError("no free X display")


def place_file(src, dest):
    """Copies src to dest without ever rewriting dest in place (place_bytes)."""
    with open(src, "rb") as f:
        place_bytes(f.read(), dest)


def place_bytes(data, dest):
    """Writes data as dest without ever rewriting dest in place. Wine maps the
    sections of a running executable straight from its file, so truncating and
    rewriting that file resets the globals of every instance running from it:
    an identical file is left alone, any other is replaced by a rename."""
    if os.path.exists(dest):
        with open(dest, "rb") as f:
            if f.read() == data:
                return
    tmp = dest + ".new"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, dest)


class WineSession:
    def __init__(self, state_dir, exe, probe, demo=None, artifacts=None):
        self.exe = exe
        self.probe_exe = probe
        self.demo = demo
        self.artifacts = artifacts or tempfile.gettempdir()
        os.makedirs(self.artifacts, exist_ok=True)
        self.root = tempfile.mkdtemp(prefix="vexo-e2e-")
        self.prefix = os.path.join(self.root, "prefix")
        subprocess.run([SESSION_SH, "newprefix", state_dir, self.prefix], check=True,
                       stdin=subprocess.DEVNULL)
        self.bin = os.path.join(self.root, "bin")
        os.makedirs(self.bin)
        self.opened_urls = os.path.join(self.root, "opened-urls.txt")
        self.wine_log = os.path.join(self.root, "wine-stderr.log")
        self._write_xdg_open_stub()
        n = free_display()
        self.display = f":{n}"
        self.xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, start_new_session=True)
        wait_until(lambda: display_in_use(n) and os.path.exists(f"/tmp/.X11-unix/X{n}"), 10, what="Xvfb")
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": self.prefix, "WINEARCH": "win64", "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree=", "LC_ALL": "zh_CN.UTF-8", "DISPLAY": self.display,
            "ALSA_CONFIG_PATH": f"/usr/share/alsa/alsa.conf:{ASOUND}",
            "PATH": self.bin + os.pathsep + os.environ.get("PATH", ""),
        })
        self._quiet(["wineserver", "-p"])
        self._quiet(["wine", "cmd", "/c", "exit"])
        self.desktop = subprocess.Popen(["wine", "explorer", "/desktop"], env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        self.processes = []

    def _write_xdg_open_stub(self):
        # Wine opens http addresses through xdg-open; record instead of browsing.
        stub = os.path.join(self.bin, "xdg-open")
        with open(stub, "w") as f:
            f.write(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{self.opened_urls}"\n')
        os.chmod(stub, 0o755)

    def _quiet(self, args, timeout=60):
        return subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout)

    def close(self):
        for p in self.processes:
            if p.poll() is None:
                p.kill()
        self._quiet(["wineserver", "-k"], timeout=30)
        # A terminated X server removes its lock and socket; a killed one cannot.
        self.xvfb.terminate()
        try:
            self.xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            pass
        for p in (self.desktop, self.xvfb):
            try:
                os.killpg(p.pid, signal.SIGKILL)
            except OSError:
                pass
            p.wait(timeout=10)
        shutil.rmtree(self.root, ignore_errors=True)

    # ---- paths -----------------------------------------------------------
    def c(self, *parts):
        """Host path of a file on drive C: of the prefix."""
        return os.path.join(self.prefix, "drive_c", *parts)

    @property
    def data_folder(self):
        return self.c("ProgramData", "Vexo", "GameLogin")

    def statistic_ini(self):
        return os.path.join(self.data_folder, "Statistic.ini")

    def read_ini(self, path=None, section="Quon"):
        path = path or self.statistic_ini()
        if not os.path.exists(path):
            return {}
        with open(path, "rb") as f:
            text = f.read().decode("gbk", errors="replace")
        values, current = {}, None
        for line in text.splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                current = line[1:-1]
            elif current == section and "=" in line:
                k, v = line.split("=", 1)
                values[k.strip()] = v.strip()
        return values

    def write_ini(self, values, path=None, section="Quon"):
        path = path or self.statistic_ini()
        os.makedirs(os.path.dirname(path), exist_ok=True)
        body = f"[{section}]\r\n" + "".join(f"{k}={v}\r\n" for k, v in values.items())
        with open(path, "wb") as f:
            f.write(body.encode("gbk"))

    def installed_exe(self):
        """The launcher copied into DataFolder (mode 3 when started without switches)."""
        os.makedirs(self.data_folder, exist_ok=True)
        dest = os.path.join(self.data_folder, "VexoQuon.exe")
        place_file(self.exe, dest)
        return dest

    # ---- processes -------------------------------------------------------
    def start(self, args=(), exe=None):
        # What Wine itself says (a process that could not start) goes to the
        # session's log, which a failed test prints.
        with open(self.wine_log, "ab") as log:
            p = subprocess.Popen(["wine", exe or self.exe, *args], env=self.env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=log)
        self.processes.append(p)
        return p

    def run(self, args=(), exe=None, timeout=60):
        p = self.start(args, exe)
        p.wait(timeout=timeout)
        return p.returncode

    def probe(self, *args, timeout=60):
        return self.program(self.probe_exe, *args, timeout=timeout)

    def program(self, exe, *args, timeout=60):
        """What a console program run in the prefix prints."""
        return run_console(["wine", exe, *[str(a) for a in args]], self.env, timeout)[1]

    def start_probe(self, *args):
        p = subprocess.Popen(["wine", self.probe_exe, *[str(a) for a in args]], env=self.env,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.processes.append(p)
        return p

    def windows(self, **filters):
        args = ["find"]
        for key in ("cls", "title", "pid"):
            if key in filters:
                args += ["--" + ("class" if key == "cls" else key), filters[key]]
        if filters.get("visible"):
            args.append("--visible")
        if filters.get("toplevel"):
            args.append("--toplevel")
        out = self.probe(*args)
        return json.loads(out) if out else []

    def wait_window(self, timeout=20, **filters):
        return wait_until(lambda: self.windows(**filters), timeout, what=f"window {filters}")[0]

    # The product is 32-bit and sees the 32-bit registry view; every read and
    # write of the tests names the product's view, whatever the word size of
    # the tool (a 64-bit build of the same tree sees the 64-bit one).
    @property
    def reg_view(self):
        return "64" if pe_is_64bit(self.exe) else "32"

    def reg(self, root, path, name):
        """bytes of a registry value in the product's view, or None."""
        info = json.loads(self.probe("reg", root, path, name, "--view", self.reg_view))
        if not info.get("value"):
            return None
        return bytes.fromhex(info["hex"])

    def reg_add(self, *args):
        self._quiet(["wine", "reg", "add", *args, "/f", "/reg:" + self.reg_view])

    def reg_delete(self, key, *args):
        self._quiet(["wine", "reg", "delete", key, *args, "/f", "/reg:" + self.reg_view])

    def opened(self):
        if not os.path.exists(self.opened_urls):
            return []
        with open(self.opened_urls) as f:
            return [line.strip() for line in f if line.strip()]

    # ---- input and pictures ---------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool", *[str(a) for a in args]], env=self.env, check=False,
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=30)

    def screenshot(self, name):
        path = os.path.join(self.artifacts, name)
        subprocess.run(["import", "-display", self.display, "-window", "root", path], env=self.env,
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        return path


def today():
    return datetime.date.today()
