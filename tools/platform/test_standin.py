"""Self-test of the platform stand-in: run with `python3 -m pytest -q tools/platform/test_standin.py`."""

import base64
import http.client
import json
import os
import signal
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

import pytest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from standin import PlatformServer  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


@pytest.fixture(scope="module")
def server(tmp_path_factory):
    log = tmp_path_factory.mktemp("standin") / "requests.jsonl"
    srv = PlatformServer(port=0, log_path=str(log)).start()
    yield srv
    srv.stop()


@pytest.fixture(autouse=True)
def clean(server):
    server.reset(published=True)


def raw_exchange(port, request, timeout=5.0):
    """Send raw request bytes; return everything the server sends until it closes."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
        s.sendall(request)
        chunks = []
        while True:
            data = s.recv(65536)
            if not data:
                return b"".join(chunks)
            chunks.append(data)


def raw_get(port, target, extra=b""):
    req = (b"GET " + target.encode("latin-1") + b" HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n" % port
           + extra + b"Connection: close\r\n\r\n")
    head, _, body = raw_exchange(port, req).partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = {}
    for line in lines[1:]:
        k, _, v = line.partition(":")
        headers[k.strip().lower()] = v.strip()
    return int(lines[0].split()[1]), headers, body


def get(server, target, headers=None):
    req = urllib.request.Request(server.url + target, headers=headers or {})
    try:
        with urllib.request.urlopen(req, timeout=5) as r:
            return r.status, r.headers, r.read()
    except urllib.error.HTTPError as e:
        return e.code, e.headers, e.read()


def control(server, name, payload=None):
    data = None if payload is None else json.dumps(payload).encode()
    req = urllib.request.Request(server.url + "/__standin/" + name, data=data,
                                 method="POST" if data is not None else "GET")
    with urllib.request.urlopen(req, timeout=5) as r:
        return json.loads(r.read().decode("utf-8"))


# -- recording ------------------------------------------------------------------

def test_records_raw_query_and_header_order(server):
    target = "/active.htm?tag=quon&ver=3.0.1.1&count=5&apartdays=0&keepdays=1&weekdays=1"
    status, _, body = raw_get(server.port, target,
                              b"User-Agent: QZR\r\nAccept-Language: zh-cn \r\n"
                              b"Content-Type: application/x-www-form-urlencoded\r\n")
    assert (status, body) == (200, b"OK")
    rec, = server.wait_for_request("/active.htm")
    assert rec["method"] == "GET" and rec["target"] == target
    assert rec["path"] == "/active.htm" and rec["query"] == target.split("?", 1)[1]
    assert [h[0] for h in rec["headers"]] == [
        "Host", "User-Agent", "Accept-Language", "Content-Type", "Connection"]
    assert rec["peer"].startswith("127.0.0.1:") and abs(rec["time"] - time.time()) < 5
    with open(server.log_path, encoding="utf-8") as f:
        assert json.loads(f.read().splitlines()[-1])["target"] == target
    assert control(server, "log") == server.requests()


def test_reports_answer_ok_and_control_is_not_logged(server):
    for path in ("/install.htm", "/active.htm", "/uninstall.htm", "/login.htm"):
        assert get(server, path + "?tag=quon&ver=3.0.1.1&count=1")[::2] == (200, b"OK")
    assert control(server, "health")["ok"] is True
    assert len(server.requests()) == 4
    assert [r["path"] for r in server.requests("/login.htm?tag=quon")] == ["/login.htm"]
    t0 = time.monotonic()
    assert server.wait_for_request("/never.htm", timeout=0.3) == []
    assert time.monotonic() - t0 >= 0.3


# -- fault rules ----------------------------------------------------------------

def test_status_rule_and_once(server):
    server.set_rule("/install.htm", status=503, body="busy", once=True)
    assert get(server, "/install.htm")[::2] == (503, b"busy")
    assert get(server, "/install.htm")[::2] == (200, b"OK")
    control(server, "rule", {"path": "/install.htm", "status": 404})
    assert get(server, "/install.htm")[0] == 404
    control(server, "rule", {"path": "/install.htm", "clear": True})
    assert get(server, "/install.htm")[0] == 200


def test_missing_and_wrong_content_length(server):
    server.set_rule("/update/ConfigQuon.htm", content_length="missing")
    status, headers, body = raw_get(server.port, "/update/ConfigQuon.htm")
    assert status == 200 and "content-length" not in headers
    assert headers["connection"] == "close" and body.startswith(b"[VerKey]\r\n")

    server.set_rule("/update/ConfigQuon.htm", content_length=999)
    status, headers, body = raw_get(server.port, "/update/ConfigQuon.htm")
    assert headers["content-length"] == "999" and 0 < len(body) < 999


def test_delay_cut_drop_and_body_b64(server):
    server.set_rule("/login.htm", delay=0.4, once=True)
    t0 = time.monotonic()
    assert get(server, "/login.htm")[0] == 200
    assert time.monotonic() - t0 >= 0.4

    server.publish("Quon", "k", bytes(range(256)) * 8)
    server.set_rule("/files/Quon.exe", cut=100)
    status, headers, body = raw_get(server.port, "/files/Quon.exe")
    assert headers["content-length"] == "2048" and body == bytes(range(100))

    server.set_rule("/active.htm", drop=True)
    assert raw_exchange(server.port, b"GET /active.htm HTTP/1.1\r\nHost: x\r\n\r\n") == b""
    assert len(server.requests("/active.htm")) == 1

    control(server, "rule", {"path": "/x.htm", "status": 200,
                             "body_b64": base64.b64encode(b"\x00\xffbin").decode()})
    assert get(server, "/x.htm")[::2] == (200, b"\x00\xffbin")


def test_trickle_sends_the_body_slowly_in_pieces(server):
    data = os.urandom(4000)
    server.publish("Quon", "k", data)
    server.set_rule("/files/Quon.exe", trickle=1000, pause=0.2)
    with socket.create_connection(("127.0.0.1", server.port), timeout=5) as s:
        s.sendall(b"GET /files/Quon.exe HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
        t0 = time.monotonic()
        received = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            received += chunk
    assert time.monotonic() - t0 >= 0.55, "three pauses between four pieces"
    assert received.partition(b"\r\n\r\n")[2] == data
    with pytest.raises(ValueError):
        server.set_rule("/x", trickle=0)
    with pytest.raises(ValueError):
        server.set_rule("/x", trickle=10, pause=-1)


def test_chunked(server):
    data = os.urandom(3000)
    server.publish("Quon", "k", data)
    server.set_rule("/files/Quon.exe", chunked=True)
    conn = http.client.HTTPConnection("127.0.0.1", server.port, timeout=5)
    conn.request("GET", "/files/Quon.exe")
    r = conn.getresponse()
    assert r.getheader("Transfer-Encoding") == "chunked" and r.getheader("Content-Length") is None
    assert r.read() == data
    conn.request("GET", "/install.htm")         # the connection stays usable
    assert conn.getresponse().read() == b"OK"
    conn.close()


def test_bad_rule_is_refused(server):
    with pytest.raises(ValueError):
        server.set_rule("/a", colour="red")
    with pytest.raises(urllib.error.HTTPError) as e:
        control(server, "rule", {"path": "/a", "content_length": "nope"})
    assert e.value.code == 400


# -- update configurations ---------------------------------------------------------

def test_default_and_published_configs(server):
    port = server.port
    status, headers, body = get(server, "/update/ConfigQuon.htm")
    assert status == 200 and headers["Content-Length"] == str(len(body))
    assert body == ("[VerKey]\r\nQuon=\r\nUpdAddr=http://127.0.0.1:%d/files/Quon.exe\r\n"
                    % port).encode()
    assert get(server, "/files/Quon.exe")[0] == 404
    assert get(server, "/update/ConfigNope.htm")[0] == 404

    server.publish("Quon", "0123456789abcdef0123456789ab3011", b"MZ\x90\x00new")
    assert get(server, "/update/ConfigQuon.htm")[2].split(b"\r\n")[1] == \
        b"Quon=0123456789abcdef0123456789ab3011"
    status, headers, body = get(server, "/files/Quon.exe")
    assert (status, body, headers["Content-Length"]) == (200, b"MZ\x90\x00new", "7")

    control(server, "publish", {"name": "Xianlu", "key": "x1",
                                "data_b64": base64.b64encode(b"setup").decode()})
    assert get(server, "/update/ConfigXianlu.htm")[2] == (
        "[VerKey]\r\nXianlu=x1\r\nUpdAddr=http://127.0.0.1:%d/files/Xianlu.exe\r\n"
        % port).encode()
    assert get(server, "/files/Xianlu.exe")[2] == b"setup"


# -- pages and external login ----------------------------------------------------

def test_login_page(server):
    status, headers, body = get(server, "/quon/client/v2/index.html?cid=4224")
    page = body.decode("utf-8")
    assert status == 200 and "charset=utf-8" in headers["Content-Type"]
    host = "127.0.0.1:%d" % server.port
    for needle in ('"app://loadgame|" + encodeURIComponent(info) + "|" + game',
                   'var GAME_HOST = "%s"' % host, "/quon/game.html?sid=",
                   '"服-" + "《" + realm + "》" + nick + "-" + acc',
                   "window.location.href", 'href="app://exitgame"', 'href="app://minimize"',
                   "http://%s/qzone/redirectToAuthorize.do?" % host,
                   "http://%s/weibo/redirectToAuthorize.do?" % host,
                   "background: #FEFEFE", '<meta charset="utf-8">', "12服"):
        assert needle in page, needle
    script = page[page.index("<script"):]
    for modern in ("let ", "const ", "=>", "fetch(", "addEventListener"):
        assert modern not in script


def test_game_hall_and_portal_pages(server):
    body = get(server, "/quon/game.html?sid=12&acc=%E5%AE%9D%3Cb%3E")[2].decode("utf-8")
    assert '<span id="sid">12</span>' in body and '<span id="acc">宝&lt;b&gt;</span>' in body
    hall = get(server, "/webgame.htm")[2].decode("utf-8")
    assert "app://entergame|quon|http://127.0.0.1:%d/" % server.port in hall
    assert hall.count("app://entergame|") == 3
    assert "/quon/client/v2/index.html?cid=4224" in get(server, "/")[2].decode("utf-8")
    assert get(server, "/favicon.ico")[0] == 404


def follow_to_authorization(server, service):
    """The service's redirect, then the provider's page (played over http)."""
    host = "127.0.0.1:%d" % server.port
    status, headers, _ = raw_get(server.port, "/%s/redirectToAuthorize.do?cid=4224&game=quon" % service)
    assert status == 302 and headers["set-cookie"].startswith("JSESSIONID=")
    location = headers["location"]
    if service == "qzone":
        assert location.startswith("https://%s/oauth2.0/authorize?response_type=code&client_id=" % host)
        assert "&redirect_uri=http%%3A%%2F%%2F%s%%2Fqzone%%2Fcallback.do&state=" % host.replace(":", "%3A") in location
    else:
        assert location.startswith("http://%s/oauth2/authorize?client_id=" % host)
        assert "redirect_uri=http%%3A%%2F%%2F%s%%2Fweibo%%2Fcallback.do" % host.replace(":", "%3A") in location
    target = "/" + location.split("://", 1)[1].partition("/")[2]
    status, _, body = get(server, target)
    assert status == 200
    return body.decode("utf-8")


def link(page, anchor):
    start = page.index('href="', page.index('id="%s"' % anchor)) + 6
    return page[start:page.index('"', start)].replace("&amp;", "&")


@pytest.mark.parametrize("service", ["qzone", "weibo"])
def test_external_login_sets_pauth(server, service):
    page = follow_to_authorization(server, service)
    assert "授权并登录" in page
    prefix = {"qzone": "/qzone/callback.do?code=", "weibo": "/weibo/callback.do?state"}[service]
    allow = link(page, "allow")
    assert allow.startswith("http://127.0.0.1:%d%s" % (server.port, prefix))
    status, headers, _ = get(server, allow[len(server.url):])
    assert status == 200 and headers["Set-Cookie"].startswith("Pauth=")
    assert headers["Set-Cookie"].endswith("; path=/")
    # Refused at the provider: back at the callback without a code, no cookie.
    deny = link(page, "deny")
    assert deny.startswith("http://127.0.0.1:%d%s" % (server.port, prefix))
    assert get(server, deny[len(server.url):])[1].get("Set-Cookie") is None


def test_qq_auto_bind_sets_pauth_and_bad_authorizations_are_refused(server):
    bind = link(follow_to_authorization(server, "qzone"), "bind")
    status, headers, _ = raw_get(server.port, bind[len(server.url):])
    assert status == 302 and headers["location"].startswith(server.url + "/qzone/extAutoBind.do?openid=")
    assert get(server, "/qzone/extAutoBind.do")[1]["Set-Cookie"].startswith("Pauth=")
    assert get(server, "/qzone/callback.do?code=")[1].get("Set-Cookie") is None
    assert get(server, "/oauth2.0/authorize?redirect_uri=http%3A%2F%2Fevil%2F&state=1")[0] == 400
    assert get(server, "/oauth2/authorize?state=1")[0] == 400


def test_an_https_visit_is_recorded(server):
    with socket.create_connection(("127.0.0.1", server.port), timeout=5) as s:
        s.sendall(b"\x16\x03\x01\x00\x05hello")
        assert s.recv(100) == b""
    recs = server.wait_for_request("(tls)")
    assert [r["method"] for r in recs] == ["TLS"]


def test_cacheable_pages_and_images_set_persistent_cookies(server):
    status, headers, body = raw_get(server.port, "/cache/page1.html?cookie=keep1")
    assert status == 200 and headers["cache-control"] == "max-age=86400" and b"<html>" in body
    assert headers["set-cookie"].startswith("keep1=1; expires=") and headers["set-cookie"].endswith("; path=/")
    status, headers, body = raw_get(server.port, "/cache/pixel.png")
    assert status == 200 and headers["content-type"] == "image/png" and body.startswith(b"\x89PNG")
    assert "set-cookie" not in headers
    assert "set-cookie" not in raw_get(server.port, "/cache/a.html?cookie=bad;name")[1]
    assert raw_get(server.port, "/cache/../x")[0] == 404


# -- stopping ---------------------------------------------------------------------

def test_stop_closes_keepalive_and_delayed(tmp_path):
    srv = PlatformServer(port=0).start()
    conn = http.client.HTTPConnection("127.0.0.1", srv.port, timeout=5)
    conn.request("GET", "/login.htm")
    assert conn.getresponse().read() == b"OK"
    srv.set_rule("/install.htm", delay=30)
    s = socket.create_connection(("127.0.0.1", srv.port), timeout=5)
    s.sendall(b"GET /install.htm HTTP/1.1\r\nHost: x\r\n\r\n")
    srv.wait_for_request("/install.htm")
    t0 = time.monotonic()
    srv.stop()
    assert time.monotonic() - t0 < 3
    assert s.recv(100) == b""
    s.close()
    conn.close()
    with pytest.raises(OSError):
        socket.create_connection(("127.0.0.1", srv.port), timeout=1).close()


@pytest.mark.parametrize("sig", [signal.SIGTERM, signal.SIGINT])
def test_cli_stops_cleanly(tmp_path, sig):
    log = tmp_path / "log.jsonl"
    proc = subprocess.Popen([sys.executable, os.path.join(HERE, "standin.py"), "--port", "0",
                             "--log", str(log)], stdout=subprocess.PIPE, text=True)
    try:
        line = proc.stdout.readline().strip()
        assert line.startswith("Vexo platform stand-in on http://127.0.0.1:")
        url = line.rsplit(" ", 1)[1]
        with urllib.request.urlopen(url + "/install.htm?tag=quon", timeout=5) as r:
            assert r.read() == b"OK"
        proc.send_signal(sig)
        assert proc.wait(timeout=5) == 0
    finally:
        if proc.poll() is None:
            proc.kill()
        proc.stdout.close()
    assert json.loads(log.read_text(encoding="utf-8"))["target"] == "/install.htm?tag=quon"
