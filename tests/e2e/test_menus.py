"""The main window's commands with real mouse and keys: the "系统" and tray
menus and every command, the hall button, the settings dialog with two main
windows, and the add-account popup."""
import hashlib
import os
import subprocess
import time

import pytest

from mainwnd import (BTN_NO, BTN_YES, MainWindow, Page, SC_CLOSE, SELF_POSTED_MARKER, WM_SYSCOMMAND, answer_box,
                     dismiss_launched_login, game_frames, login_windows, main_windows, message_boxes,
                     process_windows, window)
from wine import wait_until

UM_TRAY_MENU = 0x400 + 3
UM_RELOAD_HOTKEYS = 0x400 + 4
HALL = "/webgame.htm"
CX = 1280  # the maximized main window's client width
SYSTEM_BUTTON = (CX - 185 + 22, 14)
HALL_BUTTON = (CX - 264 + 40, 14)
HIDE_BUTTON = (CX - 114 + 13, 13)
ADD_ACCOUNT_LINK = (CX - 360 + 50, 15)
PAGE_AREA = (600, 400)
IDC_EDIT_BOSS, IDC_EDIT_SWITCH, IDC_EDIT_SOUND = 1007, 1010, 1014
IDOK, IDCANCEL = 1, 2
# Two clicks on one button closer than this are a double click, which an
# image button does not take for a second click.
DOUBLE_CLICK_TIME = 0.6
FOREIGN_DIALOG = (90, 60)  # where the probe's own dialog titled VexoQuon shows


def start_main(wine):
    """A main window of the installed copy (its hot keys live in the data
    folder's Statistic.ini), with its own login dismissed: the tests play
    their pages with the probe."""
    known = {w["hwnd"] for w in main_windows(wine)}
    proc = wine.start([], exe=wine.installed_exe())
    win = wait_until(lambda: [w for w in main_windows(wine) if w["hwnd"] not in known], 30,
                     what="the main window")[0]
    main = MainWindow(wine, proc, win["hwnd"])
    dismiss_launched_login(wine, main)
    return main


def log_in(wine, main, title):
    page = Page(wine, main.hwnd, title)
    page.wait_event("accepted")
    wait_until(page.frame, 10, what="the page frame")
    wait_until(lambda: main.info()["rect"] == [0, 0, 1280, 800], 10, what="the window maximized")
    return page


@pytest.fixture
def cleanup(wine):
    started = []
    yield started
    for proc in started:
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=10)


def click(wine, x, y, button=1):
    wine.xdotool("mousemove", x, y)
    wine.xdotool("click", button)


def click_window(wine, w):
    left, top, right, bottom = w["rect"]
    click(wine, (left + right) // 2, (top + bottom) // 2)


def control(wine, top, ctrl_id):
    found = [w for w in wine.windows(pid=top["pid"]) if w["parent"] == top["hwnd"] and w["id"] == ctrl_id]
    assert found, f"control {ctrl_id} of {top['title']}"
    return found[0]


def open_menus(wine, pid):
    return [w for w in wine.windows(cls="#32768", pid=pid, visible=True)]


def crop(path, rect, out):
    left, top, right, bottom = rect
    subprocess.run(["convert", path, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage", out],
                   check=True, capture_output=True)
    return out


def differing_pixels(a, b):
    r = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True)
    return float(r.stderr.split()[0])


class ExpectedMenu:
    """The probe's own popup menu with the items a test expects: the
    product's menu cannot be read from another process, so its picture is
    compared with this one, and its items are clicked where this one has them."""

    def __init__(self, wine, items, at=(200, 200)):
        import json
        for _ in range(3):
            proc = wine.start_probe("showmenu", at[0], at[1], *[t or "-" for t in items])
            line = proc.stdout.readline().decode("utf-8").strip()
            if line:
                break
            proc.wait(timeout=20)  # the menu did not show (no foreground yet): again
        self.layout = json.loads(line)
        self.picture = crop(wine.screenshot("expected-menu.png"), self.layout["rect"],
                            wine.root + "/expected-menu-crop.png")
        wine.xdotool("key", "Escape")
        proc.wait(timeout=20)

    def item_point(self, menu_rect, text):
        """Where item `text` lies in a same-looking menu at `menu_rect`."""
        found = [i for i in self.layout["items"] if i["text"] == text]
        assert found, text
        left, top, right, bottom = found[0]["rect"]
        dx, dy = menu_rect[0] - self.layout["rect"][0], menu_rect[1] - self.layout["rect"][1]
        return (left + right) // 2 + dx, (top + bottom) // 2 + dy


def box_pixels(wine, timeout=30):
    """The pixels of the open skinned message box, which draws its text
    itself: two boxes with the same text look the same, with another text not."""
    box = wait_until(lambda: message_boxes(wine), timeout, what="a message box")[0]
    time.sleep(0.5)  # painted
    left, top, right, bottom = box["rect"]
    path = os.path.join(wine.artifacts, "box.rgb")
    subprocess.run(["import", "-display", wine.display, "-window", "root", "-crop",
                    f"{right - left}x{bottom - top}+{left}+{top}", "rgb:" + path],
                   env=wine.env, stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=True)
    with open(path, "rb") as f:
        return f.read()


def open_system_menu(wine, main):
    # A click just after another program's menu closed (the expected menu's
    # probe) now and then only brings the window forward: then once more.
    pid = main.info()["pid"]
    main.click(*SYSTEM_BUTTON)
    try:
        return wait_until(lambda: open_menus(wine, pid), 5, what="the system menu")[0]
    except AssertionError:
        main.click(*SYSTEM_BUTTON)
        return wait_until(lambda: open_menus(wine, pid), 10, what="the system menu, at the second click")[0]


def check_menu(wine, menu, expected, name):
    """The open product menu looks exactly like the expected one (same items,
    same texts); it stays open."""
    shot = crop(wine.screenshot(f"{name}.png"), menu["rect"], wine.root + f"/{name}-crop.png")
    assert menu["rect"][2] - menu["rect"][0] == expected.layout["rect"][2] - expected.layout["rect"][0]
    assert menu["rect"][3] - menu["rect"][1] == expected.layout["rect"][3] - expected.layout["rect"][1]
    assert differing_pixels(shot, expected.picture) == 0, f"{name}: the menu's items differ"


def choose(wine, menu, expected, text):
    click(wine, *expected.item_point(menu["rect"], text))


def system_menu_items(boss):
    return ["刷新 (F5)", f"隐藏/恢复({boss})", "清除缓存", "", "更新", "设置...", "版本号: 3.0.1.1"]


def tray_menu_items(boss):
    return system_menu_items(boss)[:-1] + ["退出"]


def tray(wine):
    return wait_until(lambda: wine.windows(title="Wine System Tray", visible=True), 10, what="the tray")[0]


def tray_icon_point(wine, index=0):
    t = tray(wine)
    icons = [w for w in wine.windows(pid=t["pid"]) if w["parent"] == t["hwnd"]]
    target = icons[index]["rect"] if icons else [t["rect"][0] + 4, t["rect"][1] + 24] * 2
    return target[0] + 8, target[1] + 8


def settings_dialogs(wine, main):
    return [w for w in wine.windows(cls="#32770", title="设置", pid=main.info()["pid"], visible=True)
            if w["owner"] == main.hwnd]


def open_settings(wine, main, expected):
    menu = open_system_menu(wine, main)
    choose(wine, menu, expected, "设置...")
    return wait_until(lambda: settings_dialogs(wine, main), 10, what="the settings dialog")[0]


def no_box_for(wine, seconds=1.0):
    time.sleep(seconds)
    return not message_boxes(wine)


def dismiss_menu(wine, pid, by_click=None):
    """Escape, or a click on `by_click` where the keyboard is not the menu's
    (a menu of a hidden window)."""
    if by_click:
        click(wine, *by_click)
    else:
        wine.xdotool("key", "Escape")
    wait_until(lambda: not open_menus(wine, pid), 10, what="the menu dismissed")


# ---- the menus and their commands ----------------------------------------------

def test_every_menu_item_runs_its_command(wine, platform, cleanup):
    wine.write_ini({})  # default keys: the boss key is F10
    main = start_main(wine)
    cleanup.append(main.proc)
    first = log_in(wine, main, "1服-甲-a")
    second = log_in(wine, main, "2服-乙-b")
    pid = main.info()["pid"]
    expected = ExpectedMenu(wine, system_menu_items("F10"))

    # The system menu under "系统", at the button's bottom + 2.
    menu = open_system_menu(wine, main)
    button = control(wine, main.info(), 1003)
    assert menu["rect"][0] == button["rect"][0] and menu["rect"][1] == button["rect"][3] + 2
    check_menu(wine, menu, expected, "main-window-system-menu")

    # Refresh: a marked F5 to the page shown.
    choose(wine, menu, expected, "刷新 (F5)")
    second.wait_event("keydown")
    assert ["keydown", "116", str(SELF_POSTED_MARKER)] in second.events()
    assert not [e for e in first.events() if e[0] == "keydown"]

    # The version line does nothing (the system keeps the menu open on its
    # id); nor does a dismissed menu.
    choose(wine, open_system_menu(wine, main), expected, "版本号: 3.0.1.1")
    time.sleep(0.5)
    dismiss_menu(wine, pid)
    assert no_box_for(wine) and main.info()["visible"]
    assert not [e for e in second.events() if e[0] == "keydown"][1:]

    # Clearing the cache says so at once, in a box of its own.
    choose(wine, open_system_menu(wine, main), expected, "清除缓存")
    assert answer_box(wine, BTN_YES)["owner"] == 0

    # Update: the published key is the running file's own, so there is
    # nothing newer: one look at the configuration, no download, the box,
    # and the window stays.
    with open(wine.exe, "rb") as f:
        own = f.read()
    platform.publish("Quon", hashlib.md5(own).hexdigest()[:28] + "3011", b"not this")
    choose(wine, open_system_menu(wine, main), expected, "更新")
    assert answer_box(wine, BTN_YES)["owner"] == 0
    assert len(platform.requests("/update/ConfigQuon.htm")) == 1 and not platform.requests("/files/")
    assert main.proc.poll() is None

    # Settings: the dialog over the window; "取消" closes it.
    dlg = open_settings(wine, main, expected)
    click_window(wine, control(wine, dlg, IDCANCEL))
    wait_until(lambda: not settings_dialogs(wine, main), 10, what="the settings closed")

    # The boss key's text in the menu follows the stored key.
    for stored, text in (("0,0", "无"), ("2,81", "Ctrl  +  Q")):
        wine.write_ini({"ShortKey": stored})
        main.post(UM_RELOAD_HOTKEYS, 0, 0)
        time.sleep(0.5)
        expected = ExpectedMenu(wine, system_menu_items(text))
        check_menu(wine, open_system_menu(wine, main), expected, f"system-menu-{stored}")
        dismiss_menu(wine, pid)

    # Hide/restore from the menu; the tray icon brings the window back.
    time.sleep(DOUBLE_CLICK_TIME)  # the last click on the button was the menu's opening
    choose(wine, open_system_menu(wine, main), expected, "隐藏/恢复(Ctrl  +  Q)")
    wait_until(lambda: not main.info()["visible"], 10, what="hidden by the menu")
    click(wine, *tray_icon_point(wine))
    wait_until(lambda: main.info()["visible"], 10, what="restored by the tray icon")

    # The hall button: shows the hall (starting its process), hides it again
    # with the current tab back, shows it again without a new process.
    main.click(*HALL_BUTTON)
    hall = wait_until(lambda: game_frames(wine, main.hwnd), 30, what="the hall frame")[0]
    assert wine.probe("complete", hall["hwnd"], platform.url + HALL, "Vexo 游戏大厅") == "1"
    wait_until(lambda: window(wine, hall["hwnd"])["visible"], 10, what="the hall shown")
    wait_until(lambda: not first.visible() and not second.visible(), 10, what="the pages hidden")
    time.sleep(DOUBLE_CLICK_TIME)
    main.click(*HALL_BUTTON)
    wait_until(lambda: second.visible() and not window(wine, hall["hwnd"])["visible"], 10,
               what="the hall hidden and the current tab back")
    time.sleep(DOUBLE_CLICK_TIME)
    main.click(*HALL_BUTTON)
    wait_until(lambda: window(wine, hall["hwnd"])["visible"] and not second.visible(), 10,
               what="the hall shown again")
    assert len(game_frames(wine, main.hwnd)) == 1, "no second hall"

    # Closing the window asks; "否" keeps it.
    main.post(WM_SYSCOMMAND, SC_CLOSE, 0)
    answer_box(wine, BTN_NO)
    assert main.proc.poll() is None

    # The tray menu opens up and left of the pointer and ends with "退出".
    # (The maximized window covers Wine's tray, so the hide button goes first.)
    expected = ExpectedMenu(wine, tray_menu_items("Ctrl  +  Q"))
    main.click(*HIDE_BUTTON)
    wait_until(lambda: not main.info()["visible"], 10, what="hidden by its button")
    click(wine, *tray_icon_point(wine), button=3)
    menu = wait_until(lambda: open_menus(wine, pid), 10, what="the tray menu")[0]
    check_menu(wine, menu, expected, "main-window-tray-menu")
    dismiss_menu(wine, pid, by_click=(1000, 700))
    # Wine's tray sits in the screen's corner, where the menu is pushed back
    # onto the screen; the same message with the pointer elsewhere shows the
    # alignment.
    wine.xdotool("mousemove", 700, 500)
    main.post(UM_TRAY_MENU, 0, 0)
    menu = wait_until(lambda: open_menus(wine, pid), 10, what="the tray menu")[0]
    assert menu["rect"][2:] == [700, 500], menu["rect"]
    check_menu(wine, menu, expected, "main-window-tray-menu-aligned")

    # "退出" ends the program and every page at once, asking nothing.
    choose(wine, menu, expected, "退出")
    assert main.proc.wait(timeout=20) == 0
    for page in (first, second):
        page.wait_event("sc_close")
        assert page.proc.wait(timeout=20) == 0
    assert not message_boxes(wine)
    wait_until(lambda: not process_windows(wine, hall["pid"]), 15, what="the hall to end by itself")


# ---- the settings dialog -------------------------------------------------------


def test_the_update_check_runs_beside_the_window(wine, platform, cleanup):
    wine.write_ini({})  # default keys: the sound key is Ctrl+Q
    main = start_main(wine)
    cleanup.append(main.proc)
    first = log_in(wine, main, "1服-甲-a")
    expected = ExpectedMenu(wine, system_menu_items("F10"))
    with open(wine.exe, "rb") as f:
        own = f.read()
    platform.publish("Quon", hashlib.md5(own).hexdigest()[:28] + "3011", b"not this")
    choose(wine, open_system_menu(wine, main), expected, "更新")
    up_to_date = box_pixels(wine)  # "已经是最新版本，无需进行更新。"
    answer_box(wine, BTN_YES)

    # The check runs beside the window: against a configuration that takes
    # 10 s, the window answers at once, the sound key still reaches the
    # pages, a second "更新" asks nothing more; then the answer.
    platform.reset(published=True)
    platform.publish("Quon", hashlib.md5(own).hexdigest()[:28] + "3011", b"not this")
    platform.set_rule("/update/ConfigQuon.htm", delay=10, once=True)
    choose(wine, open_system_menu(wine, main), expected, "更新")
    asked = time.monotonic()
    wait_until(lambda: platform.requests("/update/ConfigQuon.htm"), 5, what="the configuration asked")
    choose(wine, open_system_menu(wine, main), expected, "更新")
    main.click(600, 400)
    wine.xdotool("key", "ctrl+q")
    wait_until(lambda: ["set_mute", "1", "0"] in first.events(), 5, what="the sound key during the check")
    answers = [wine.probe("answers", main.hwnd, 1000) for _ in range(5)]
    assert all(a != "timeout" and int(a) < 1000 for a in answers), answers
    assert not message_boxes(wine) and time.monotonic() - asked < 9.5
    assert box_pixels(wine) == up_to_date, "已经是最新版本，无需进行更新。"
    assert time.monotonic() - asked >= 9.5
    answer_box(wine, BTN_YES)
    assert len(platform.requests("/update/ConfigQuon.htm")) == 1, "the second click asked nothing"
    main.click(1280 - 141 + 13, 13)  # the sound button turns it back on
    wait_until(lambda: first.events()[-1] == ["set_mute", "0", "0"], 10, what="sound on again")
    # No platform at all: the failure says so.
    platform.stop()
    try:
        choose(wine, open_system_menu(wine, main), expected, "更新")
        failed = box_pixels(wine)
        wine.screenshot("update-check-failed.png")
        assert failed != up_to_date and len(failed) == len(up_to_date), "检查更新失败，请稍后再试。"
        answer_box(wine, BTN_YES)
    finally:
        platform.start()
    assert main.proc.poll() is None


def edit_text(wine, edit):
    import json
    return json.loads(wine.probe("text", edit["hwnd"]))


def hot_keys(wine):
    """The stored hot keys (the file holds the statistics too)."""
    return {k: v for k, v in wine.read_ini().items() if k in ("ShortKey", "AltWndKey", "SndKey")}


def press(wine, edit, *keys):
    """Real keys into a key edit, after a click into it for the keyboard focus."""
    click_window(wine, edit)
    for key in keys:
        wine.xdotool("key", key)


def wait_text(wine, edit, text):
    return wait_until(lambda: edit_text(wine, edit) == text, 10, what=f"the edit to say {text!r}")


def test_settings_take_keys_by_pressing_them_and_reach_every_main_window(wine, platform, cleanup, tmp_path):
    wine.write_ini({})
    a = start_main(wine)
    cleanup.append(a.proc)
    page_a = log_in(wine, a, "1服-甲-a")
    b = start_main(wine)
    cleanup.append(b.proc)
    page_b = log_in(wine, b, "2服-乙-b")
    # The second window out of the way, the first one on top.
    wine.probe("move", b.hwnd, 0, 540, 672, 260)
    click(wine, 900, 5)
    foreign_log = str(tmp_path / "foreign.log")
    foreign = wine.start_probe("dialog", "VexoQuon", "--log", "Z:" + foreign_log.replace("/", "\\"))
    cleanup.append(foreign)
    foreign_hwnd = int(foreign.stdout.readline().decode().split()[1])
    expected = ExpectedMenu(wine, system_menu_items("F10"))

    # The hall of the first window refreshes on a plain F5 while F5 is no hot key.
    a.click(*HALL_BUTTON)
    hall = wait_until(lambda: game_frames(wine, a.hwnd), 30, what="the hall frame")[0]
    assert wine.probe("complete", hall["hwnd"], platform.url + HALL, "Vexo 游戏大厅") == "1"
    refreshes = lambda: int(wine.probe("refreshes", hall["hwnd"]))
    wine.probe("post", hall["hwnd"], 0x0100, 0x74, 0x003F0001)
    wait_until(lambda: refreshes() == 1, 10, what="a plain F5 refreshing the hall")

    # The dialog shows the stored keys.
    dlg = open_settings(wine, a, expected)
    boss, switch, sound = (control(wine, dlg, i) for i in (IDC_EDIT_BOSS, IDC_EDIT_SWITCH, IDC_EDIT_SOUND))
    assert [edit_text(wine, e) for e in (boss, switch, sound)] == ["F10", "Ctrl  +  Tab", "Ctrl  +  Q"]
    wine.screenshot("settings-dialog.png")

    # The tray menu still works meanwhile; its "设置..." opens no second dialog.
    tray_expected = ExpectedMenu(wine, tray_menu_items("F10"))
    wine.xdotool("mousemove", 700, 500)
    a.post(UM_TRAY_MENU, 0, 0)
    menu = wait_until(lambda: open_menus(wine, a.info()["pid"]), 10, what="the tray menu")[0]
    choose(wine, menu, tray_expected, "设置...")
    time.sleep(1)
    assert len(settings_dialogs(wine, a)) == 1

    # Pressing the boss key (or the sound key) to enter it hides nothing, in
    # neither main window.
    press(wine, boss, "F11")
    wait_text(wine, boss, "F11")
    press(wine, boss, "F10")
    wait_text(wine, boss, "F10")
    press(wine, sound, "ctrl+q")
    wait_text(wine, sound, "Ctrl  +  Q")
    time.sleep(1)
    assert a.info()["visible"] and b.info()["visible"] and settings_dialogs(wine, a), \
        "the boss key acted while being entered"
    assert not [e for e in page_a.events() + page_b.events() if e[:2] == ["set_mute", "1"]], "the sound key acted"

    # Hiding while the dialog is open (the boss key with the focus on a
    # button) closes it as cancelled and writes nothing.
    press(wine, boss, "F9")
    wait_text(wine, boss, "F9")
    cancel = control(wine, dlg, IDCANCEL)
    left, top, right, bottom = cancel["rect"]
    wine.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
    wine.xdotool("mousedown", 1)  # the button takes the focus ...
    wine.xdotool("mousemove", left - 40, top - 40)
    wine.xdotool("mouseup", 1)  # ... without being clicked
    wine.xdotool("key", "F10")
    wait_until(lambda: not a.info()["visible"] and not b.info()["visible"], 10, what="both windows hidden")
    wait_until(lambda: not settings_dialogs(wine, a), 10, what="the settings closed by the hide")
    assert hot_keys(wine) == {}
    click(wine, *FOREIGN_DIALOG)  # keys reach Wine only while one of its windows has the X focus
    wine.xdotool("key", "F10")
    wait_until(lambda: a.info()["visible"] and b.info()["visible"], 10, what="both windows restored")

    click(wine, 900, 5)
    dlg = open_settings(wine, a, expected)
    boss, switch, sound = (control(wine, dlg, i) for i in (IDC_EDIT_BOSS, IDC_EDIT_SWITCH, IDC_EDIT_SOUND))
    assert edit_text(wine, boss) == "F10", "nothing was kept from the cancelled dialog"

    # The texts of captured keys.
    for keys, text in ((["F11"], "F11"), (["BackSpace"], "无"), (["F11", "Delete"], "无"), (["F11", "F12"], "无"),
                       (["space"], ""), (["F11", "Escape"], "F11"), (["Return"], "F11")):
        press(wine, boss, *keys)
        wait_text(wine, boss, text)
    assert settings_dialogs(wine, a), "Escape and Enter close nothing"
    for keys, text in ((["ctrl+Tab"], "Ctrl  +  Tab"), (["Tab"], "Tab"), (["F12"], ""), (["alt"], "Alt  +  "),
                       (["shift+F3"], "Shift  +  F3"), (["ctrl+Tab"], "Ctrl  +  Tab")):
        press(wine, switch, *keys)
        wait_text(wine, switch, text)
    press(wine, sound, "Tab")
    wait_text(wine, sound, "")  # Tab only switches windows
    click_window(wine, sound)
    wine.xdotool("keydown", "Control_L")
    wait_text(wine, sound, "Ctrl  +  ")
    wine.xdotool("key", "q")
    wine.xdotool("keyup", "Control_L")
    wait_text(wine, sound, "Ctrl  +  Q")

    # Two empty texts conflict: the dialog says so and stays; nothing is written.
    press(wine, boss, "space")
    press(wine, switch, "space")
    wait_text(wine, switch, "")
    click_window(wine, control(wine, dlg, IDOK))
    box = answer_box(wine, BTN_YES)
    assert box["owner"] == dlg["hwnd"]
    assert settings_dialogs(wine, a) and hot_keys(wine) == {}

    # Saving: F5 for the boss key, Ctrl+Tab, Ctrl+Q; every main window and
    # its pages and hall reload, other programs' windows are not told.
    press(wine, boss, "F5")
    press(wine, switch, "ctrl+Tab")
    wait_text(wine, switch, "Ctrl  +  Tab")
    click_window(wine, control(wine, dlg, IDOK))
    wait_until(lambda: not settings_dialogs(wine, a), 10, what="the settings closed by saving")
    assert hot_keys(wine) == {"ShortKey": "0,116", "AltWndKey": "2,9", "SndKey": "2,81"}
    for page in (page_a, page_b):
        page.wait_event("reload_hotkeys")
    time.sleep(0.5)
    foreign_messages = lambda: open(foreign_log, encoding="utf-8-sig").read().split()
    assert not foreign_messages(), "a foreign dialog was told"
    wine.probe("post", foreign_hwnd, UM_RELOAD_HOTKEYS, 0, 0)  # it would have heard it
    wait_until(lambda: foreign_messages() == ["user", "4", "0", "0"], 10, what="the foreign dialog's log")

    # The hall takes the new key: a plain F5 is the boss key's now.
    wine.probe("post", hall["hwnd"], 0x0100, 0x74, 0x003F0001)
    wine.probe("post", hall["hwnd"], 0x0100, 0x74, SELF_POSTED_MARKER)
    wait_until(lambda: refreshes() == 2, 10, what="the marked F5")
    time.sleep(0.5)
    assert refreshes() == 2, "a plain F5 refreshed the hall"

    # Both main windows act on the new key, not on the old one.
    click(wine, 900, 5)
    wine.xdotool("key", "F10")
    time.sleep(1)
    assert a.info()["visible"] and b.info()["visible"], "the old boss key still acts"
    wine.xdotool("key", "F5")
    wait_until(lambda: not a.info()["visible"] and not b.info()["visible"], 10, what="F5 hiding both windows")
    click(wine, *FOREIGN_DIALOG)
    wine.xdotool("key", "F5")
    wait_until(lambda: a.info()["visible"] and b.info()["visible"], 10, what="F5 restoring both windows")

    # Backspace turns the boss key off: "0,0".
    click(wine, 900, 5)
    dlg = open_settings(wine, a, ExpectedMenu(wine, system_menu_items("F5")))
    boss = control(wine, dlg, IDC_EDIT_BOSS)
    press(wine, boss, "BackSpace")
    wait_text(wine, boss, "无")
    click_window(wine, control(wine, dlg, IDOK))
    wait_until(lambda: wine.read_ini().get("ShortKey") == "0,0", 10, what="the boss key off")
    assert wine.read_ini()["SndKey"] == "2,81"


# ---- the add-account popup -------------------------------------------------------

QUESTION = "在当前窗口新增标签页？\r\n点击\"是\"，在当前窗口登录(支持3个标签页)；\r\n点击\"否\"，在新窗口中登录。"


def popups(wine, main):
    return [w for w in wine.windows(cls="#32770", title="登录其他账号", pid=main.info()["pid"], visible=True)
            if w["owner"] == main.hwnd]


def open_popup(wine, main):
    main.click(*ADD_ACCOUNT_LINK)
    return wait_until(lambda: popups(wine, main), 10, what="the add-account popup")[0]


def logins_of(wine, main):
    return [w for w in wine.windows(cls="#32770", title="VexoQuon") if w["owner"] == main.hwnd]


def nothing_started(wine, main, windows_before):
    time.sleep(1.5)
    return not logins_of(wine, main) and len(main_windows(wine)) == windows_before


def test_the_add_account_popup_opens_a_tab_or_a_window(wine, platform, cleanup):
    wine.write_ini({})
    main = start_main(wine)
    cleanup.append(main.proc)
    log_in(wine, main, "1服-甲-a")
    mains = len(main_windows(wine))

    # Under the link, its top-right corner at the link's bottom-right, fitted to its skin.
    popup = open_popup(wine, main)
    link = control(wine, main.info(), 1005)
    assert popup["rect"][2] == link["rect"][2] and popup["rect"][1] == link["rect"][3], (popup["rect"], link["rect"])
    assert popup["client"] == [284, 150]
    assert edit_text(wine, control(wine, popup, 1023)) == QUESTION
    wine.screenshot("add-account-popup.png")

    # Its caption does not drag it.
    left, top = popup["rect"][0] + 60, popup["rect"][1] + 12
    wine.xdotool("mousemove", left, top)
    wine.xdotool("mousedown", 1)
    wine.xdotool("mousemove", left - 100, top + 80)
    wine.xdotool("mouseup", 1)
    time.sleep(0.5)
    assert popups(wine, main)[0]["rect"] == popup["rect"]

    # A click on the main window dismisses it without an answer; so does Escape.
    click(wine, *PAGE_AREA)
    wait_until(lambda: not popups(wine, main), 10, what="the popup hidden by the click")
    assert nothing_started(wine, main, mains)
    open_popup(wine, main)
    wine.xdotool("key", "Escape")
    wait_until(lambda: not popups(wine, main), 10, what="the popup hidden by Escape")
    assert nothing_started(wine, main, mains)

    # "是": a new tab's page process, whose login shows over this window.
    click_window(wine, control(wine, open_popup(wine, main), IDOK))
    wait_until(lambda: not popups(wine, main), 10, what="the popup hidden by its answer")
    dismiss_launched_login(wine, main)

    # "否": a second, independent main window.
    click_window(wine, control(wine, open_popup(wine, main), IDCANCEL))
    other = wait_until(lambda: [w for w in main_windows(wine) if w["hwnd"] != main.hwnd], 30,
                       what="a second main window")[0]
    assert other["pid"] != main.info()["pid"]
    assert not logins_of(wine, main), "no tab of this window"
    wine.probe("post", other["hwnd"], WM_SYSCOMMAND, SC_CLOSE, 0)
    wait_until(lambda: len(main_windows(wine)) == mains, 30, what="the second main window closed")

    # A fourth tab is refused and starts nothing.
    log_in(wine, main, "2服-乙-b")
    log_in(wine, main, "3服-丙-c")
    click_window(wine, control(wine, open_popup(wine, main), IDOK))
    assert answer_box(wine, BTN_YES)["owner"] == 0
    assert nothing_started(wine, main, mains)

    # The boss key hides the popup with the window.
    open_popup(wine, main)
    wine.xdotool("key", "F10")
    wait_until(lambda: not main.info()["visible"], 10, what="the window hidden")
    assert not popups(wine, main)
