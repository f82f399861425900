#!/usr/bin/env python3
"""Idle benchmark: a main window with three logged-in page processes (logins
completed through the test-only automation channel) left alone for 60 s,
against the trivial one-window program: CPU of all launcher processes together
(goal below 1 % of one core), and each process's resident and private memory
against the yardstick's (goal: private within 1.5 x). Resident size counts the
DLL pages that every Wine process maps from the same files; private memory
(Private_Clean + Private_Dirty of the process's smaps) is what the process
alone holds. For each process the mappings that hold most of its private
memory are listed (a DLL's written pages under its name, heaps and stacks as
"[anonymous]"). Also prints the size of the shipped executable.

    tools/bench/idle.py [SECONDS]     (default 60; uses build/win)
"""
import os
import sys
import time

from common import (build_file, cpu_seconds, platform, private_by_mapping, private_mb, rss_mb, session,
                    wine_processes)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "tests", "e2e"))
from mainwnd import UM_ADD_LOGIN, MainWindow, game_frames, loadgame_url, login_windows, main_windows  # noqa: E402
from wine import wait_until  # noqa: E402


def log_in(wine, main, server, n):
    bk, page = login_windows(wine, main.hwnd)
    known = {f["hwnd"] for f in game_frames(wine, main.hwnd)}
    url = loadgame_url(f"{n}服-《梦》宝宝-acc{n}", server.url + f"/quon/game.html?sid={n}&acc=acc{n}")
    assert wine.probe("navigate", page["hwnd"], url) == "1"
    wait_until(lambda: [f for f in game_frames(wine, main.hwnd) if f["hwnd"] not in known], 30, what="frame")


def sample(pids, seconds):
    start = {p: cpu_seconds(p) for p in pids}
    t0 = time.monotonic()
    time.sleep(seconds)
    wall = time.monotonic() - t0
    cpu = sum(cpu_seconds(p) - start[p] for p in pids)
    return cpu / wall * 100, {p: (rss_mb(p), private_mb(p)) for p in pids}


def holders(pid, against=None, top=8):
    """The mappings holding most of a process's private memory, with the
    yardstick's figure for the same mapping when given."""
    mine = private_by_mapping(pid)
    rows = sorted(mine.items(), key=lambda kv: -kv[1])[:top]
    text = []
    for name, mb in rows:
        other = f" (yardstick {against.get(name, 0.0):.1f})" if against is not None else ""
        text.append(f"{name} {mb:.1f}{other}")
    return ", ".join(text)


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 60
    server = platform()
    wine = session()
    try:
        installed = wine.installed_exe()
        yard = wine.start([], exe=build_file("bench_yardstick.exe"))
        wait_until(lambda: wine_processes("bench_yardstick.exe"), 30, what="the yardstick")
        time.sleep(3)
        ypids = wine_processes("bench_yardstick.exe")
        ycpu, ymem = sample(ypids, min(seconds, 20))
        ymaps = private_by_mapping(ypids[0])
        yheld = holders(ypids[0])
        yard.kill()

        proc = wine.start([], exe=installed)
        win = wait_until(lambda: main_windows(wine), 30, what="the main window")[0]
        main = MainWindow(wine, proc, win["hwnd"])
        for n in (1, 2, 3):
            if n > 1:
                main.post(UM_ADD_LOGIN, 1, 0)
            log_in(wine, main, server, n)
        time.sleep(5)  # let the pages settle after their logins
        pids = wine_processes("VexoQuon.exe")
        cpu, mem = sample(pids, seconds)
        y, yp = max(r for r, _ in ymem.values()), max(p for _, p in ymem.values())
        print(f"yardstick: {y:.1f} MB resident, {yp:.1f} MB private, {ycpu:.2f} % of a core")
        print(f"  private held by: {yheld}")
        print(f"launcher, {len(pids)} processes idle for {seconds:.0f} s: {cpu:.2f} % of one core together "
              f"(goal < 1 %)")
        for p, (rss, priv) in sorted(mem.items(), key=lambda kv: kv[1][1]):
            print(f"  process {p}: {rss:.1f} MB resident ({rss / y:.2f} x), {priv:.1f} MB private "
                  f"({priv / yp:.2f} x the yardstick; goal <= 1.5 x)")
            print(f"    private held by: {holders(p, ymaps)}")
        exe = build_file("VexoQuon.exe")
        print(f"VexoQuon.exe as shipped: {os.path.getsize(exe) / 1e6:.2f} MB "
              f"(debug information beside it: {os.path.getsize(build_file('VexoQuon.debug')) / 1e6:.2f} MB)")
        proc.kill()
    finally:
        wine.close()
        server.stop()


if __name__ == "__main__":
    main()
