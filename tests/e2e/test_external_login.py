"""QQ and Sina Weibo login in a real page process, and clearing the browser
cache.

The login page's redirect links open the external-account window (its
navigations driven through the test-only automation channel, since no page
runs under Wine); the stand-in plays the external-login service and the
providers' pages and sets the cookies; the callback with "Pauth" closes the
window. Another program's browser HTML dialog is left alone while the window
runs its 130 ms timer.

Cache clearing runs the product's routine (cache_tool.exe, 32-bit, beside
VexoQuon.exe) on a URL cache filled through real WinINet requests to the
stand-in, and on a Flash shared-objects tree with a read-only file, a file in
use and a link to a folder outside it."""
import getpass
import json
import os
import shutil
import subprocess
import time

from mainwnd import Owner, WM_KEYDOWN, login_windows, window
from wine import run_console, wait_until

VK_RETURN, VK_ESCAPE = 0x0D, 0x1B
QQ_TITLE, WEIBO_TITLE = "QQ账号安全登录", "新浪微博账号安全登录"
REDIRECT = "/qzone/redirectToAuthorize.do?cid=4224&game=quon"
WEIBO_REDIRECT = "/weibo/redirectToAuthorize.do?cid=4224&game=quon"
COOKIE_ENTRY = 0x00100000


def navigate(wine, hwnd, url):
    assert wine.probe("navigate", hwnd, url) == "1"


def complete(wine, hwnd, url, title):
    assert wine.probe("complete", hwnd, url, title) == "1"


def external_pair(wine, page):
    """The external-account frame the login page dialog owns, and the browser the frame owns."""
    frames = [w for w in wine.windows(cls="#32770", pid=page["pid"]) if w["owner"] == page["hwnd"]]
    if len(frames) != 1:
        return None
    browsers = [w for w in wine.windows(cls="#32770", pid=page["pid"]) if w["owner"] == frames[0]["hwnd"]]
    return (frames[0], browsers[0]) if len(browsers) == 1 else None


def opened_pair(wine, page, title, old=None):
    return wait_until(lambda: (p := external_pair(wine, page)) and p[0]["title"] == title and p[0]["visible"]
                      and p[1]["visible"] and (old is None or p[0]["hwnd"] != old[0]["hwnd"]) and p, 20,
                      what=f"the window {title}")


def hidden(wine, pair):
    frame, browser = window(wine, pair[0]["hwnd"]), window(wine, pair[1]["hwnd"])
    return frame and browser and not frame["visible"] and not browser["visible"]


def test_qq_and_weibo_login_windows(wine, platform):
    # Another program's browser HTML dialog, on the desktop the whole time.
    foreign = wine.start_probe("window", "Internet Explorer_TridentDlgFrame", "其他程序的网页对话框")
    foreign_hwnd = int(foreign.stdout.readline().decode().strip())
    wine.write_ini({})
    owner = Owner(wine)
    proc = wine.start(["/newgm", f"/{owner.hwnd}", "/0"], exe=wine.installed_exe())
    try:
        walk_the_external_login(wine, platform, owner, foreign, foreign_hwnd)
        owner.close()
        assert proc.wait(timeout=20) == 0
    finally:
        # A page process left running keeps the browser cache open, which the
        # clearing test below must not find.
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=20)


def walk_the_external_login(wine, platform, owner, foreign, foreign_hwnd):
    bk, page = login_windows(wine, owner.hwnd)
    platform.reset()

    # The QQ link: the login page stays, the window opens centred, 740 x 480,
    # its browser over the client area below the caption; the browser (not
    # the page, whose navigation is cancelled) asks the service once.
    navigate(wine, page["hwnd"], platform.url + REDIRECT)
    qq = opened_pair(wine, page, QQ_TITLE)
    assert qq[0]["rect"] == [270, 160, 1010, 640]
    assert qq[1]["rect"] == [274, 190, 1006, 636]
    assert platform.wait_for_request("/qzone/redirectToAuthorize.do", timeout=20)
    time.sleep(1.5)
    assert len(platform.requests("/qzone/redirectToAuthorize.do")) == 1
    wine.screenshot("external-login-qq.png")

    # Enter and Escape close nothing.
    for hwnd in (qq[0]["hwnd"], qq[1]["hwnd"]):
        for key in (VK_RETURN, VK_ESCAPE):
            wine.probe("post", hwnd, WM_KEYDOWN, key, 0x00010001)
    time.sleep(1)
    pair = external_pair(wine, page)
    assert pair and [w["hwnd"] for w in pair] == [w["hwnd"] for w in qq] and all(w["visible"] for w in pair)

    # A page whose address only mentions the redirect is an ordinary page:
    # the login page goes there, no window opens or changes.
    navigate(wine, page["hwnd"], platform.url + "/quon/news.html?next=" + platform.url + WEIBO_REDIRECT)
    assert platform.wait_for_request("/quon/news.html", timeout=20)
    time.sleep(1)
    pair = external_pair(wine, page)
    assert pair and pair[0]["hwnd"] == qq[0]["hwnd"] and pair[0]["title"] == QQ_TITLE
    assert not platform.requests("/weibo/")

    # While shown, QQ Connect's https page is let through (the stand-in sees
    # the TLS handshake it cannot answer).
    browser = qq[1]["hwnd"]
    authorize = f"https://127.0.0.1:{platform.port}/oauth2.0/authorize?response_type=code&client_id=1&state=ab"
    navigate(wine, browser, authorize)
    assert platform.wait_for_request("(tls)", timeout=20), "the authorization page is not cancelled while shown"

    # A refused login comes back without "Pauth" (the service's session
    # cookie is set): the window stays on that page.
    denied = platform.url + "/qzone/callback.do?code=&state=ab"
    navigate(wine, browser, denied)
    assert platform.wait_for_request("/qzone/callback.do?code=&", timeout=20)
    complete(wine, browser, denied, "授权未完成")
    time.sleep(1)
    assert not hidden(wine, qq)

    # The login sets "Pauth"; the callback text later in an address is not the callback.
    allowed = platform.url + "/qzone/callback.do?code=abc123&state=ab"
    navigate(wine, browser, allowed)
    assert platform.wait_for_request("/qzone/callback.do?code=abc123", timeout=20)
    complete(wine, browser, platform.url + "/quon/news.html?from=" + allowed, "新闻")
    time.sleep(1)
    assert not hidden(wine, qq)

    # The callback itself at position 0 with the cookie: both windows hide,
    # and the hidden browser goes back to the redirect.
    complete(wine, browser, allowed, "登录成功")
    wait_until(lambda: hidden(wine, qq), 10, what="both windows hidden")
    assert len(platform.wait_for_request("/qzone/redirectToAuthorize.do", count=2, timeout=20)) == 2
    time.sleep(1.5)

    # Hidden, the authorization page is cancelled; other addresses are not.
    tls = len(platform.requests("(tls)"))
    navigate(wine, browser, authorize)
    navigate(wine, browser, platform.url + "/quon/news.html?hidden=1")
    assert platform.wait_for_request("/quon/news.html?hidden=1", timeout=20)
    time.sleep(1.5)
    assert len(platform.requests("(tls)")) == tls, "the authorization page is cancelled while hidden"

    # The Weibo link replaces the (hidden) QQ pair: one window per login page.
    navigate(wine, page["hwnd"], platform.url + WEIBO_REDIRECT)
    weibo = opened_pair(wine, page, WEIBO_TITLE, old=qq)
    assert not window(wine, qq[0]["hwnd"]) and not window(wine, qq[1]["hwnd"])
    assert weibo[0]["rect"] == [270, 160, 1010, 640] and weibo[1]["rect"] == [274, 190, 1006, 636]
    assert platform.wait_for_request("/weibo/redirectToAuthorize.do", timeout=20)
    wine.screenshot("external-login-weibo.png")

    # Opening again while one is shown replaces it as well.
    navigate(wine, page["hwnd"], platform.url + REDIRECT)
    qq2 = opened_pair(wine, page, QQ_TITLE, old=weibo)
    assert not window(wine, weibo[0]["hwnd"]) and not window(wine, weibo[1]["hwnd"])

    # The close button (a real click) destroys both; a later link opens a fresh pair.
    close = [w for w in wine.windows(pid=page["pid"]) if w["parent"] == qq2[0]["hwnd"] and w["id"] == 50000][0]
    left, top, right, bottom = close["rect"]
    wine.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
    wine.xdotool("click", 1)
    wait_until(lambda: not window(wine, qq2[0]["hwnd"]) and not window(wine, qq2[1]["hwnd"]), 10,
               what="both windows destroyed")
    assert window(wine, page["hwnd"]) and window(wine, bk["hwnd"]), "the login stays"
    navigate(wine, page["hwnd"], platform.url + WEIBO_REDIRECT)
    opened_pair(wine, page, WEIBO_TITLE, old=qq2)

    # All this time the other program's browser dialog stood.
    assert window(wine, foreign_hwnd) and foreign.poll() is None
    wine.probe("post", foreign_hwnd, 0x0010, 0, 0)  # WM_CLOSE: it would have gone at once
    assert foreign.wait(timeout=20) == 0


# ---- cache clearing ------------------------------------------------------------

class CacheTool:
    def __init__(self, wine):
        self.wine = wine
        self.exe = os.path.join(os.path.dirname(os.path.abspath(wine.exe)), "cache_tool.exe")

    def run(self, *args, timeout=120):
        return run_console(["wine", self.exe, *[str(a) for a in args]], self.wine.env, timeout)

    def entries(self):
        return json.loads(self.run("list")[1])

    def hold(self, windows_path):
        p = subprocess.Popen(["wine", self.exe, "hold", windows_path, "120000"], env=self.wine.env,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.wine.processes.append(p)
        assert p.stdout.readline().decode().strip() == "held"
        return p


def host_path(wine, windows_path):
    assert windows_path[:3].upper() == "C:\\"
    return wine.c(*windows_path[3:].split("\\"))


def write(path, text="sol"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def cookie_names(tool, platform):
    """The persistent cookies a new process sends to the stand-in."""
    text = tool.run("cookies", platform.url + "/")[1]
    return {c.split("=", 1)[0].strip() for c in text.split(";") if c.strip()}


def test_cache_clearing(wine, platform):
    tool = CacheTool(wine)
    roaming = wine.c("users", getpass.getuser(), "AppData", "Roaming")
    player = os.path.join(roaming, "Macromedia", "Flash Player")
    so = os.path.join(player, "#SharedObjects")
    so_win = "C:\\users\\%s\\AppData\\Roaming\\Macromedia\\Flash Player\\#SharedObjects" % getpass.getuser()
    settings = os.path.join(player, "macromedia.com", "support", "flashplayer", "sys", "settings.sol")
    outside = wine.c("vexo-outside")
    for rel in ("ABC/localhost/quon/game.sol", "ABC/localhost/readonly.sol", "ABC/held/held.sol",
                "ABC/held/other.sol", "top.sol"):
        write(os.path.join(so, rel))
    os.chmod(os.path.join(so, "ABC/localhost/readonly.sol"), 0o444)
    write(settings)
    write(os.path.join(outside, "keep.txt"))
    write(os.path.join(outside, "sub", "keep2.txt"))
    os.symlink(outside, os.path.join(so, "ABC", "link"))

    # Pages and images cached through WinINet, two persistent cookies with them.
    base = platform.url + "/cache/"
    cached = [base + "page1.html?cookie=keep1", base + "pixel.png", base + "page2.html?cookie=keep2"]
    rc, out = tool.run("fill", *cached)
    assert rc == 0, out
    before = tool.entries()
    assert {e["url"] for e in before if not e["type"] & COOKIE_ENTRY} >= set(cached)
    cookies = [e for e in before if e["type"] & COOKIE_ENTRY]
    assert cookies, "the persistent cookies are cache entries too"
    files = [host_path(wine, e["file"]) for e in before if e["url"] in cached]
    assert files and all(os.path.exists(f) for f in files)

    # Two clearings at once, with one shared object held open by another program.
    holder = tool.hold(so_win + "\\ABC\\held\\held.sol")
    assert tool.run("clear", 2)[0] == 0
    after = tool.entries()
    assert [e for e in after if not e["type"] & COOKIE_ENTRY] == []
    assert sorted(e["url"] for e in after) == sorted(e["url"] for e in cookies)
    assert cookie_names(tool, platform) == {"keep1", "keep2"}
    assert not any(os.path.exists(f) for f in files), "the cached files are gone"

    assert os.path.exists(os.path.join(so, "ABC/held/held.sol")), "the file in use stays"
    for gone in ("ABC/held/other.sol", "ABC/localhost", "top.sol"):
        assert not os.path.lexists(os.path.join(so, gone)), gone
    # The link is never followed: what it points to is untouched. (Wine cannot
    # remove a link to a folder that has files, so the link stays here.)
    assert os.path.exists(os.path.join(outside, "keep.txt")) and os.path.exists(os.path.join(outside, "sub", "keep2.txt"))
    assert os.path.exists(settings), "only the shared objects are cleared"
    holder.kill()
    holder.wait(timeout=20)

    # The shared-objects folder itself a link: only the link is ever touched.
    shutil.rmtree(so)
    os.symlink(outside, so)
    assert tool.run("deltree", so_win)[1].startswith("0 ")
    assert os.path.exists(os.path.join(outside, "sub", "keep2.txt"))
    os.unlink(so)

    # No shared-objects folder: the browser cache alone is cleared.
    assert tool.run("fill", base + "page3.html", base + "pixel.png")[0] == 0
    assert {base + "page3.html", base + "pixel.png"} <= {e["url"] for e in tool.entries()}
    assert tool.run("clear", 1)[0] == 0
    assert [e for e in tool.entries() if not e["type"] & COOKIE_ENTRY] == []
    assert not os.path.lexists(so)
    assert os.path.exists(settings) and os.path.exists(os.path.join(outside, "keep.txt"))
    assert cookie_names(tool, platform) == {"keep1", "keep2"}
