#!/usr/bin/env python3
"""Start-up benchmark: start to the first window (the 1 x 1 main window) and
start to the login background of the installed launcher, against a trivial
one-window program started the same way, in interleaved pairs on one warm Wine
session. Prints medians and ratios; goal: login background <= 2.2 x (two
process starts in a row are its floor). The first (invisible) window's figure
is information: the player does not see it.

    tools/bench/startup.py [PAIRS] [--against EXE]     (default 15; uses build/win)

With --against, another build of the launcher (say, one step of start-up moved
back) runs in the same rounds, interleaved with this one, from a subfolder of
the data folder (so that it starts in the same mode), and the medians of both
and of their per-round difference are printed: the way to tell whether one
step wins on a noisy machine.
"""
import os
import shutil
import subprocess
import sys
import time

from common import build_file, median, platform, session


def timed(wine, mode, exe, args=()):
    """Milliseconds to the window, or None when the timer did not come back
    with one: on the shared machine a start now and then stalls for a minute
    before its first window (seen with the launcher built from main as well);
    such a round is dropped and counted rather than ending the run."""
    try:
        out = wine.program(build_file("launch_timer.exe"), mode, wine_path(wine, exe), *args, timeout=40)
    except subprocess.TimeoutExpired:
        out = ""
    lines = out.splitlines()
    value = float(lines[-1]) if lines else -1
    if value < 0:
        global STALLED
        STALLED += 1
        return None
    return value


STALLED = 0


def wine_path(wine, host_path):
    """The Windows path of a host file (build files are on drive Z:)."""
    import os
    prefix_c = wine.c()
    if host_path.startswith(prefix_c):
        return "C:\\" + os.path.relpath(host_path, prefix_c).replace("/", "\\")
    return "Z:" + host_path.replace("/", "\\")


def settle():
    # The page process of a killed main window ends by itself within a second.
    time.sleep(1.5)


def kept(values):
    return [v for v in values if v is not None]


def place_other(wine, exe):
    """A copy of another build inside the data folder (mode 3 as well)."""
    folder = os.path.join(wine.data_folder, "other")
    os.makedirs(folder, exist_ok=True)
    dest = os.path.join(folder, "VexoQuon.exe")
    shutil.copyfile(exe, dest + ".tmp")
    os.replace(dest + ".tmp", dest)
    return dest


def parse(argv):
    pairs, other, rest = 15, None, list(argv)
    while rest:
        arg = rest.pop(0)
        if arg == "--against":
            other = os.path.abspath(rest.pop(0))
        else:
            pairs = int(arg)
    return pairs, other


def main():
    pairs, other = parse(sys.argv[1:])
    server = platform()
    wine = session()
    try:
        installed = wine.installed_exe()
        if other:
            return compare(wine, installed, place_other(wine, other), pairs)
        yard = keep_desktop(wine)
        timed(wine, "first", installed)
        settle()
        ys, firsts, logins = [], [], []
        for _ in range(pairs):
            ys.append(timed(wine, "first", yard))
            firsts.append(timed(wine, "first", installed))
            settle()
            logins.append(timed(wine, "layered", installed))
            settle()
        ys, firsts, logins = (kept(v) for v in (ys, firsts, logins))
        y, f, g = median(ys), median(firsts), median(logins)
        print(f"yardstick first window   median {y:7.1f} ms")
        print(f"launcher first window    median {f:7.1f} ms   {f / y:4.2f} x   (information)")
        print(f"launcher login backgr.   median {g:7.1f} ms   {g / y:4.2f} x   (goal <= 2.2 x)")
        if STALLED:
            print(f"{STALLED} starts stalled and were dropped")
        print(f"({pairs} interleaved pairs; all values ms: yardstick {sorted(ys)}, first {sorted(firsts)}, "
              f"login {sorted(logins)})")
    finally:
        wine.close()
        server.stop()


def keep_desktop(wine):
    """Keeps Wine's desktop up and warms it; returns the yardstick. A player's
    desktop is always there; Wine's ends with the last window and every start
    would then pay for a new one. A window of another program keeps it, for
    the yardstick and the launcher alike. The first start of anything in a new
    prefix pays for Wine: the yardstick's is not counted."""
    keeper = wine.start_probe("window", "BenchDesktopKeeper", "桌面")
    keeper.stdout.readline()
    yard = build_file("bench_yardstick.exe")
    timed(wine, "first", yard)
    return yard


def compare(wine, installed, other, pairs):
    yard = keep_desktop(wine)
    timed(wine, "layered", installed)
    settle()
    timed(wine, "layered", other)
    settle()
    ys, a, b = [], [], []
    global STALLED
    STALLED = 0
    for n in range(pairs):
        ys.append(timed(wine, "first", yard))
        # Alternate which build goes first, so neither always follows the yardstick.
        order = ((a, installed), (b, other)) if n % 2 == 0 else ((b, other), (a, installed))
        for values, exe in order:
            values.append(timed(wine, "layered", exe))
            settle()
    diffs = [x - z for x, z in zip(a, b) if x is not None and z is not None]
    ys, a, b = kept(ys), kept(a), kept(b)
    y = median(ys)
    print(f"yardstick first window   median {y:7.1f} ms")
    print(f"this build login backgr. median {median(a):7.1f} ms   {median(a) / y:4.2f} x")
    print(f"other build login backgr median {median(b):7.1f} ms   {median(b) / y:4.2f} x")
    print(f"this minus other, per round: median {median(diffs):+.1f} ms, "
          f"{sum(d < 0 for d in diffs)} of {len(diffs)} rounds faster"
          + (f"; {STALLED} starts stalled and were dropped" if STALLED else ""))
    print(f"(all ms: yardstick {sorted(ys)}, this {sorted(a)}, other {sorted(b)})")


if __name__ == "__main__":
    main()
