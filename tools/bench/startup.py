#!/usr/bin/env python3
"""Start-up benchmark: start to the first window (the 1 x 1 main window) and
start to the login background of the installed launcher, against a trivial
one-window program started the same way, in interleaved pairs on one warm Wine
session. Prints medians and ratios; goals: first window <= 1.3 x, login
background <= 2.2 x (two process starts in a row are its floor).

    tools/bench/startup.py [PAIRS]     (default 15; uses build/win)
"""
import sys
import time

from common import build_file, median, platform, session


def timed(wine, mode, exe, args=()):
    out = wine.program(build_file("launch_timer.exe"), mode, wine_path(wine, exe), *args)
    return float(out.splitlines()[-1])


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


def main():
    pairs = int(sys.argv[1]) if len(sys.argv) > 1 else 15
    server = platform()
    wine = session()
    try:
        installed = wine.installed_exe()
        # A player's desktop is always there; Wine's ends with the last window
        # and every start would then pay for a new one. A window of another
        # program keeps it, for the yardstick and the launcher alike.
        keeper = wine.start_probe("window", "BenchDesktopKeeper", "桌面")
        keeper.stdout.readline()
        yard = build_file("bench_yardstick.exe")
        # Warm-up: the first start of anything in a new prefix pays for Wine.
        timed(wine, "first", yard)
        timed(wine, "first", installed)
        ys, firsts, logins = [], [], []
        for _ in range(pairs):
            ys.append(timed(wine, "first", yard))
            firsts.append(timed(wine, "first", installed))
            settle()
            logins.append(timed(wine, "layered", installed))
            settle()
        y, f, g = median(ys), median(firsts), median(logins)
        print(f"yardstick first window   median {y:7.1f} ms")
        print(f"launcher first window    median {f:7.1f} ms   {f / y:4.2f} x   (goal <= 1.3 x)")
        print(f"launcher login backgr.   median {g:7.1f} ms   {g / y:4.2f} x   (goal <= 2.2 x)")
        print(f"({pairs} interleaved pairs; all values ms: yardstick {sorted(ys)}, first {sorted(firsts)}, "
              f"login {sorted(logins)})")
    finally:
        wine.close()
        server.stop()


if __name__ == "__main__":
    main()
