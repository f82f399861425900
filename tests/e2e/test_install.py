"""Installing into the data folder with shortcuts, and uninstalling with the
self-deleting batch, with the real executable under Wine."""
import filecmp
import json
import os

from mainwnd import BTN_NO, BTN_YES, answer_box, close_started_main_window
from wine import wait_until

GAME = "VexoQuon极速登录器"
WEB = "Vexo网页游戏"
UNINSTALL = "卸载 VexoQuon极速登录器"
PROGRAM_KEY = r"Software\Vexo\GameLogin\Quon"
INSTALLED = r"C:\ProgramData\Vexo\GameLogin\VexoQuon.exe"


def desktop(wine, *name):
    return wine.c("users", "Public", "Desktop", *name)


def programs(wine, *name):
    return wine.c("ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", "Vexo登录器", *name)


def own_desktop(wine, *name):
    users = [u for u in os.listdir(wine.c("users")) if u not in ("Public",) and not u.startswith(".")]
    return wine.c("users", users[0], "Desktop", *name)


def shortcut(wine, host_path):
    windows_path = "C:\\" + os.path.relpath(host_path, wine.c()).replace("/", "\\")
    return json.loads(wine.probe("lnk", windows_path))


def test_install_then_uninstall(wine, platform):
    os.makedirs(own_desktop(wine), exist_ok=True)
    with open(own_desktop(wine, GAME + ".lnk"), "wb") as f:
        f.write(b"an older personal copy")

    assert wine.run([]) == 0  # outside the data folder: an install
    installed = os.path.join(wine.data_folder, "VexoQuon.exe")
    assert filecmp.cmp(installed, wine.exe, shallow=False)
    assert [r["target"] for r in platform.requests("/install.htm")] == ["/install.htm?tag=quon&ver=3.0.1.1&count=1"]

    links = {
        desktop(wine, GAME + ".lnk"): ("/QuonD", 0, GAME),
        desktop(wine, WEB + ".lnk"): ("/webVexoD", 1, f"127.0.0.1:{platform.port}中国最大的网页游戏平台"),
        programs(wine, GAME + ".lnk"): ("/QuonD", 0, ""),
        programs(wine, UNINSTALL + ".lnk"): ("/uninst", 0, ""),
    }
    for path, (args, index, description) in links.items():
        info = shortcut(wine, path)
        assert info["exists"], path
        assert info["target"].lower() == INSTALLED.lower()
        assert (info["args"], info["index"], info["description"]) == (args, index, description), path
    assert not os.path.exists(own_desktop(wine, GAME + ".lnk")), "the personal duplicate is gone"

    # The installed copy was started and runs as an installed start.
    assert platform.wait_for_request("/active.htm?tag=quon", timeout=30)
    close_started_main_window(wine)
    assert wine.reg("HKLM", PROGRAM_KEY, "DisableDays") is not None
    # The 32-bit program keeps its state in the 32-bit view, where existing
    # installs have it; the other view holds nothing of it (for a 64-bit build
    # of the tree the views swap).
    other_view = "64" if wine.reg_view == "32" else "32"
    assert json.loads(wine.probe("reg", "HKLM", PROGRAM_KEY, "DisableDays", "--view", other_view)) == {"exists": False}

    # Uninstall from the installed copy: "否" leaves everything as it was.
    proc = wine.start(["/uninst"], exe=installed)
    answer_box(wine, BTN_NO)
    assert proc.wait(timeout=30) == 0
    assert os.path.exists(desktop(wine, GAME + ".lnk"))

    with open(os.path.join(wine.data_folder, "OtherGame.exe"), "wb") as f:
        f.write(b"another game's client shares the folder")
    proc = wine.start(["/uninst"], exe=installed)
    answer_box(wine, BTN_YES)   # the question
    answer_box(wine, BTN_YES)   # the notice that some files go after the exit
    assert proc.wait(timeout=30) == 0
    assert [r["target"] for r in platform.requests("/uninstall.htm")] == [
        "/uninstall.htm?tag=quon&ver=3.0.1.1&count=1"]
    assert wine.reg("HKLM", PROGRAM_KEY, "DisableDays") is None
    for path in links:
        assert not os.path.exists(path), path
    assert not os.path.exists(programs(wine)), "the emptied programs folder is removed"
    wait_until(lambda: not os.path.exists(installed), 30, what="the batch to delete the executable")
    assert os.path.exists(os.path.join(wine.data_folder, "OtherGame.exe"))
    assert wine.read_ini()["UnInst"] == "1", "statistics survive the uninstall"


def test_uninstall_of_a_lone_executable_keeps_the_statistics(wine, platform):
    folder = wine.data_folder
    for name in os.listdir(folder) if os.path.isdir(folder) else []:
        os.remove(os.path.join(folder, name))
    installed = wine.installed_exe()
    proc = wine.start(["/uninst"], exe=installed)
    answer_box(wine, BTN_YES)
    answer_box(wine, BTN_YES)
    assert proc.wait(timeout=30) == 0
    wait_until(lambda: not os.path.exists(installed), 30, what="the batch to delete the executable")
    # The report's counter was written after the files were counted: the
    # folder keeps it instead of being emptied.
    assert wine.read_ini()["UnInst"] == "1"
