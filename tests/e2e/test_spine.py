"""Start-up modes, persisted statistics and the reports, with the real
executable under Wine against the platform stand-in."""
import datetime
import os
import struct
import time

import pytest

from mainwnd import (BTN_NO, BTN_YES, answer_box, close_started_main_window, close_unpaged_main_window,
                     main_windows)
from wine import wait_until

ACTIVE_GAME = "/active.htm?tag=quon&ver=3.0.1.1"
CACHE_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\5.0\Cache\Content"
PROGRAM_KEY = r"Software\Vexo\GameLogin\Quon"


def stored_date(days_ago):
    d = datetime.date.today() - datetime.timedelta(days=days_ago)
    return f"{d.year}/{d.month}/{d.day}"


@pytest.fixture
def fresh_stats(wine):
    """No stored statistics, in the data folder of an installed machine."""
    path = wine.statistic_ini()
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.exists(path):
        os.remove(path)
    return path


def start_game(wine, platform, args=("/QuonD",), exe=None, expect_report=True):
    """A game start: the activation report goes out beside the main window,
    which is then closed."""
    proc = wine.start(list(args), exe=exe)
    rec = platform.wait_for_request(ACTIVE_GAME, timeout=30) if expect_report else None
    assert close_unpaged_main_window(wine, proc) == 0
    return rec


def header(record, name):
    return [v for k, v in record["headers"] if k.lower() == name.lower()]


def test_web_entry_opens_the_home_page_and_waits_for_its_report(wine, platform, fresh_stats):
    platform.set_rule("/active.htm", delay=3)
    proc = wine.start(["/webVexoD"])
    rec = platform.wait_for_request("/active.htm", timeout=30)
    assert rec, "no web activation report"
    asked = time.monotonic()
    assert rec[0]["target"] == "/active.htm?tag=webVexo&ver=3.0.1.1&count=1"
    # The process must outlive the answer it waits for.
    time.sleep(1.5)
    assert proc.poll() is None, "exited before the report was answered"
    proc.wait(timeout=30)
    assert time.monotonic() - asked >= 2.5
    assert wine.read_ini()["Vexo"] == "1"
    assert wait_until(wine.opened, 10, what="home page opened") == [platform.url + "/"]

    platform.reset()
    # As above, the answer comes late: a process of Wine that ends while its
    # shell "open" is still starting the browser is sometimes killed outright.
    platform.set_rule("/active.htm", delay=1)
    assert wine.run(["/WEBVEXOD"]) == 0
    assert platform.requests("/active.htm")[0]["target"].endswith("&count=2")


def test_first_game_start_reports_and_stores_its_figures(wine, platform, fresh_stats):
    rec = start_game(wine, platform)
    assert rec, "no game activation report"
    r = rec[0]
    assert r["method"] == "GET"
    assert r["target"] == ACTIVE_GAME + "&count=1&apartdays=0&keepdays=1&weekdays=1"
    assert header(r, "User-Agent") == ["QZR"]
    assert header(r, "Accept-Language") == ["zh-cn"]  # WinINet trims the blank after it
    assert header(r, "Content-Type") == ["application/x-www-form-urlencoded"]
    assert header(r, "Host") == [f"127.0.0.1:{platform.port}"]
    ini = wine.read_ini()
    assert (ini["weekdays"], ini["keepdays"], ini["Game"]) == ("1", "1", "1")
    assert ini["lstTime"] == stored_date(0)


@pytest.mark.parametrize("stored,expected_query,expected_ini", [
    # a start on the next day after six days in a row
    ({"lstTime": stored_date(1), "weekdays": "63", "keepdays": "6", "Game": "5"},
     "&count=6&apartdays=0&keepdays=7&weekdays=7", {"weekdays": "127", "keepdays": "7"}),
    # the same day again
    ({"lstTime": stored_date(0), "weekdays": "3", "keepdays": "4", "Game": "7"},
     "&count=8&apartdays=0&keepdays=4&weekdays=2", {"weekdays": "3", "keepdays": "4"}),
    # three days later: mask shifted by three
    ({"lstTime": stored_date(3), "weekdays": "7", "keepdays": "3", "Game": "2"},
     "&count=3&apartdays=2&keepdays=1&weekdays=4", {"weekdays": "57", "keepdays": "1"}),
    # ten days later
    ({"lstTime": stored_date(10), "weekdays": "127", "keepdays": "9", "Game": "9"},
     "&count=10&apartdays=9&keepdays=1&weekdays=1", {"weekdays": "1", "keepdays": "1"}),
    # one day in the future (the clock was set back)
    ({"lstTime": stored_date(-1), "weekdays": "127", "keepdays": "9", "Game": "1"},
     "&count=2&apartdays=-2&keepdays=1&weekdays=1", {"weekdays": "1", "keepdays": "1"}),
    # an impossible stored date counts as today; a counter of letters as 0
    ({"lstTime": "2014/13/40", "weekdays": "129", "keepdays": "2", "Game": "abc"},
     "&count=1&apartdays=0&keepdays=2&weekdays=1", {"weekdays": "1", "Game": "1"}),
], ids=["next-day", "same-day", "three-days", "ten-days", "future", "invalid"])
def test_later_starts_measure_against_the_stored_date(wine, platform, fresh_stats, stored,
                                                      expected_query, expected_ini):
    wine.write_ini(stored)
    rec = start_game(wine, platform)
    assert rec and rec[0]["target"] == ACTIVE_GAME + expected_query
    ini = wine.read_ini()
    for key, value in expected_ini.items():
        assert ini[key] == value, key
    assert ini["lstTime"] == stored_date(0)


def test_installed_copy_starts_the_game_without_a_switch(wine, platform, fresh_stats):
    rec = start_game(wine, platform, args=(), exe=wine.installed_exe())
    assert rec and rec[0]["target"].endswith("&count=1&apartdays=0&keepdays=1&weekdays=1")
    assert not platform.requests("/install.htm")


@pytest.mark.parametrize("args", [[], ["/bogus"]], ids=["no-switch", "unknown-switch"])
def test_a_start_outside_the_data_folder_is_an_install(wine, platform, fresh_stats, args):
    platform.set_rule("/install.htm", delay=2)
    start = time.monotonic()
    assert wine.run(args) == 0
    assert time.monotonic() - start >= 2, "the install run must wait for its report"
    rec = platform.requests("/install.htm")
    assert [r["target"] for r in rec] == ["/install.htm?tag=quon&ver=3.0.1.1&count=1"]
    close_started_main_window(wine)  # the installed copy it started
    assert wine.read_ini()["Inst"] == "1"
    days = wine.reg("HKLM", PROGRAM_KEY, "DisableDays")
    assert days is not None and len(days) == 4
    e, c, d, zero = days
    assert zero == 0 and max(e, c, d) < 7 and c != d and c != e


def test_browser_cache_limit_is_set_only_where_the_browser_keeps_it(wine, platform, fresh_stats):
    wine.reg_delete(CACHE_KEY)
    start_game(wine, platform)
    assert wine.reg("HKCU", CACHE_KEY.split("\\", 1)[1], "CacheLimit") is None
    wine.reg_add(CACHE_KEY)
    start_game(wine, platform)
    value = wine.reg("HKCU", CACHE_KEY.split("\\", 1)[1], "CacheLimit")
    assert value is not None and struct.unpack("<I", value)[0] == 0x100000


def test_a_dead_platform_costs_no_hang(wine, platform, fresh_stats):
    platform.stop()  # connection refused from now on
    start = time.monotonic()
    assert wine.run(["/webVexoD"], timeout=60) == 0
    start_game(wine, platform, expect_report=False)
    assert time.monotonic() - start < 30
    assert wine.read_ini()["Vexo"] == "1", "the counter is bumped even when the report is lost"


def test_uninstall_asks_first_and_reports_only_when_confirmed(wine, platform, fresh_stats):
    exe = wine.installed_exe()  # a confirmed uninstall deletes the executable it runs
    proc = wine.start(["/uninst"], exe=exe)
    box = answer_box(wine, BTN_NO)
    assert box["owner"] == 0
    assert proc.wait(timeout=20) == 0
    assert not platform.requests("/uninstall.htm")
    assert "UnInst" not in wine.read_ini()

    proc = wine.start(["/UNINST"], exe=exe)
    answer_box(wine, BTN_YES)  # the question
    answer_box(wine, BTN_YES)  # the notice
    assert proc.wait(timeout=30) == 0
    assert [r["target"] for r in platform.requests("/uninstall.htm")] == [
        "/uninstall.htm?tag=quon&ver=3.0.1.1&count=1"]
    assert wine.read_ini()["UnInst"] == "1"


def test_an_old_flash_player_is_offered_and_declining_still_opens_the_window(wine, platform, fresh_stats):
    key = r"HKLM\SOFTWARE\Macromedia\FlashPlayer"
    wine.reg_add(key, "/v", "CurrentVersion", "/d", "10,3,102,64")  # equal counts as too old
    try:
        proc = wine.start(["/QuonD"])
        answer_box(wine, BTN_NO)
        assert close_unpaged_main_window(wine, proc) == 0

        platform.reset()
        proc = wine.start(["/QuonD"])
        answer_box(wine, BTN_YES)  # opens the download page in the browser instead of the window
        assert proc.wait(timeout=30) == 0
        assert platform.wait_for_request("/flashplayer/", timeout=30), "the download page was opened"
        assert not main_windows(wine), "and no game window"
    finally:
        wine.reg_add(key, "/v", "CurrentVersion", "/d", "11,2,202,235")
