#!/usr/bin/env python3
"""Stand-in for the Vexo platform's web services, for tests and demos.

One HTTP/1.1 server on 127.0.0.1 plays every host the launcher talks to:
statistics reports, update configurations and downloads, the login page,
the web home page, the game page, the game hall, the external-login
service (QQ / Sina Weibo) with QQ Connect's and Sina Weibo's authorization
pages, and cacheable pages and images that set cookies (for cache tests).  Every request is recorded, and a test can make
any path misbehave (status, body, Content-Length, delay, cut, drop, chunked)
through the Python API or the HTTP control API under /__standin/.

Python standard library only, so it runs with any python3.
"""

import argparse
import base64
import html
import json
import os
import re
import secrets
import signal
import socket
import socketserver
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from email.utils import formatdate
from urllib.parse import parse_qs, quote

DEFAULT_PORT = 47180
CONTROL_PREFIX = "/__standin/"
PAGES_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pages")

RULE_KEYS = {"status", "body", "body_b64", "content_type", "headers",
             "content_length", "delay", "cut", "drop", "chunked", "once",
             "trickle", "pause"}

REPORT_PATHS = {"/install.htm", "/active.htm", "/uninstall.htm", "/login.htm"}
CONFIG_PATH = re.compile(r"^/update/Config([^/?]+)\.htm$")
FILE_PATH = re.compile(r"^/files/([^/?]+)\.exe$")
SAFE_HOST = re.compile(r"^(?:[A-Za-z0-9.-]+|\[[0-9A-Fa-f:.]+\])(?::\d{1,5})?$")

CACHE_PATH = re.compile(r"^/cache/[A-Za-z0-9_.-]+$")
# A 1 x 1 PNG, the body of every cached image.
PIXEL_PNG = base64.b64decode(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4nGP4z8DwHwAFAAH/iZk9HQAAAABJRU5ErkJggg==")
TLS_HANDSHAKE = b"\x16"
QQ_CLIENT_ID = "100224224"
WEIBO_CLIENT_ID = "2042244224"

HTML_TYPE = "text/html; charset=utf-8"
TEXT_TYPE = "text/plain; charset=utf-8"

_page_cache = {}


def render(page, **values):
    """Fill a pages/*.html template; every {{NAME}} gets an HTML-escaped value."""
    text = _page_cache.get(page)
    if text is None:
        with open(os.path.join(PAGES_DIR, page), encoding="utf-8") as f:
            text = _page_cache[page] = f.read()
    for name, value in values.items():
        text = text.replace("{{%s}}" % name, html.escape(str(value), quote=True))
    return text.encode("utf-8")


def check_rule(rule):
    """Validate a fault rule and normalise its body to bytes; raises ValueError."""
    unknown = set(rule) - RULE_KEYS
    if unknown:
        raise ValueError("unknown rule keys: %s" % ", ".join(sorted(unknown)))
    rule = dict(rule)
    if "body" in rule and "body_b64" in rule:
        raise ValueError("give body or body_b64, not both")
    if "body_b64" in rule:
        rule["body"] = base64.b64decode(rule.pop("body_b64"))
    elif isinstance(rule.get("body"), str):
        rule["body"] = rule["body"].encode("utf-8")
    elif "body" in rule and not isinstance(rule["body"], (bytes, bytearray)):
        raise ValueError("body must be text or bytes")
    if "status" in rule and not (isinstance(rule["status"], int) and 100 <= rule["status"] <= 999):
        raise ValueError("status must be an integer 100-999")
    cl = rule.get("content_length")
    if cl is not None and cl != "missing" and not (isinstance(cl, int) and cl >= 0):
        raise ValueError('content_length must be "missing" or a non-negative integer')
    if "delay" in rule and not (isinstance(rule["delay"], (int, float)) and rule["delay"] >= 0):
        raise ValueError("delay must be a non-negative number of seconds")
    if "cut" in rule and not (isinstance(rule["cut"], int) and rule["cut"] >= 0):
        raise ValueError("cut must be a non-negative byte count")
    if "trickle" in rule and not (isinstance(rule["trickle"], int) and rule["trickle"] > 0):
        raise ValueError("trickle must be a positive byte count")
    if "pause" in rule and not (isinstance(rule["pause"], (int, float)) and rule["pause"] >= 0):
        raise ValueError("pause must be a non-negative number of seconds")
    headers = rule.get("headers", [])
    if not all(isinstance(h, (list, tuple)) and len(h) == 2 for h in headers):
        raise ValueError("headers must be a list of [name, value] pairs")
    return rule


class PlatformServer:
    """The stand-in server; start() serves on a background thread."""

    def __init__(self, port=0, log_path=None, host="127.0.0.1", verbose=False):
        self.host = host
        self._port = port
        self.log_path = log_path
        self.verbose = verbose
        self._httpd = None
        self._thread = None
        self._log_file = None
        self._cond = threading.Condition()
        self._records = []
        self._rules = {}        # path -> standing rule
        self._once = {}         # path -> list of one-shot rules, oldest first
        self._published = {}    # name -> {"key", "data", "upd_addr"}
        self._connections = set()
        self._stopping = threading.Event()
        self._publish_defaults()

    # -- life cycle -----------------------------------------------------
    @property
    def port(self):
        return self._httpd.server_address[1] if self._httpd else self._port

    @property
    def url(self):
        return "http://%s:%d" % (self.host, self.port)

    def start(self):
        if self._httpd:
            return self
        self._stopping.clear()
        self._httpd = _HTTPServer((self.host, self._port), _Handler, self)
        if self.log_path:
            self._log_file = open(self.log_path, "a", encoding="utf-8")
        self._thread = threading.Thread(target=self._httpd.serve_forever,
                                        kwargs={"poll_interval": 0.1},
                                        name="standin-http", daemon=True)
        self._thread.start()
        return self

    def stop(self):
        if not self._httpd:
            return
        self._stopping.set()    # wakes delayed answers
        self._httpd.shutdown()
        self._httpd.server_close()
        self._thread.join()
        with self._cond:
            conns = list(self._connections)
        for conn in conns:      # ends keep-alive connections still open
            try:
                conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        self._httpd = self._thread = None
        with self._cond:    # a late handler may still be recording
            if self._log_file:
                self._log_file.close()
                self._log_file = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    # -- test controls ----------------------------------------------------
    def set_rule(self, path, **rule):
        rule = check_rule(rule)
        with self._cond:
            if rule.pop("once", False):
                self._once.setdefault(path, []).append(rule)
            else:
                self._rules[path] = rule

    def clear_rule(self, path):
        with self._cond:
            self._rules.pop(path, None)
            self._once.pop(path, None)

    def reset(self, published=False):
        """Forget rules and recorded requests; with published=True also the publications."""
        with self._cond:
            self._rules.clear()
            self._once.clear()
            self._records.clear()
            if published:
                self._published.clear()
                self._publish_defaults()

    def publish(self, name, key, data=None, upd_addr=None):
        """Publish /update/Config<name>.htm with the given key, and data at its UpdAddr."""
        if not name or "/" in name or "?" in name:
            raise ValueError("bad game name: %r" % (name,))
        with self._cond:
            self._published[name] = {"key": key or "",
                                     "data": bytes(data) if data is not None else None,
                                     "upd_addr": upd_addr}

    def requests(self, path_prefix=None):
        with self._cond:
            return [r for r in self._records if _matches(r, path_prefix)]

    def wait_for_request(self, path_prefix, timeout=10.0, count=1):
        """Wait until `count` matching requests arrived; returns them (fewer on timeout)."""
        deadline = time.monotonic() + timeout
        with self._cond:
            while True:
                found = [r for r in self._records if _matches(r, path_prefix)]
                left = deadline - time.monotonic()
                if len(found) >= count or left <= 0:
                    return found
                self._cond.wait(min(left, 0.25))

    # -- used by the handler ------------------------------------------------
    def _publish_defaults(self):
        # An empty key means "nothing newer": the launcher never updates.
        self._published["Quon"] = {"key": "", "data": None, "upd_addr": None}

    def _record(self, rec):
        line = json.dumps(rec, ensure_ascii=False)
        with self._cond:
            self._records.append(rec)
            if self._log_file:
                self._log_file.write(line + "\n")
                self._log_file.flush()
            self._cond.notify_all()

    def _take_rule(self, path):
        with self._cond:
            queue = self._once.get(path)
            if queue:
                rule = queue.pop(0)
                if not queue:
                    del self._once[path]
                return rule
            return dict(self._rules.get(path, {}))

    def _publication(self, name):
        with self._cond:
            pub = self._published.get(name)
            return dict(pub) if pub else None


def _matches(rec, prefix):
    if prefix is None:
        return True
    origin = rec["path"] + ("?" + rec["query"] if rec["query"] is not None else "")
    return origin.startswith(prefix)


class _HTTPServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, handler, platform):
        self.platform = platform
        super().__init__(address, handler)

    def server_bind(self):
        # Skip HTTPServer's reverse DNS look-up of the bind address.
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]


class _Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    timeout = 60

    def version_string(self):
        return "VexoStandin/1.0"

    # -- plumbing ----------------------------------------------------------
    @property
    def platform(self):
        return self.server.platform

    def setup(self):
        super().setup()
        with self.platform._cond:
            self.platform._connections.add(self.connection)

    def finish(self):
        with self.platform._cond:
            self.platform._connections.discard(self.connection)
        try:
            super().finish()
        except OSError:
            pass

    def handle(self):
        # An https visit sends a TLS handshake to this plain port. It cannot be
        # answered, but it is recorded (path "(tls)"), so that a test sees that
        # a browser went for an https address of the stand-in's hosts.
        try:
            first = self.connection.recv(1, socket.MSG_PEEK)
        except OSError:
            return
        if first == TLS_HANDSHAKE:
            self.platform._record({"method": "TLS", "target": "", "path": "(tls)", "query": None,
                                   "headers": [], "peer": "%s:%d" % self.client_address[:2],
                                   "time": time.time()})
            self.close_connection = True
            return
        try:
            super().handle()
        except ConnectionResetError:
            pass  # a client killed mid-request (the benchmarks end launchers at once)

    def log_message(self, fmt, *args):
        if self.platform.verbose:
            sys.stderr.write("%s %s\n" % (self.address_string(), fmt % args))

    def do_GET(self):
        self._serve()

    do_POST = do_HEAD = do_PUT = do_DELETE = do_OPTIONS = do_GET

    def _serve(self):
        target = self.path
        origin = target
        if "://" in target.split("?", 1)[0]:        # absolute form, as sent to a proxy
            origin = "/" + target.split("://", 1)[1].partition("/")[2]
        path, sep, query = origin.partition("?")
        try:
            length = int(self.headers.get("Content-Length") or 0)
        except ValueError:
            length = 0
        body_in = self.rfile.read(length) if length > 0 else b""

        if path.startswith(CONTROL_PREFIX):
            return self._control(path, query, body_in)

        self.platform._record({
            "method": self.command,
            "target": target,
            "path": path,
            "query": query if sep else None,
            "headers": [[k, v] for k, v in self.headers.items()],
            "peer": "%s:%d" % self.client_address[:2],
            "time": time.time(),
        })
        rule = self.platform._take_rule(path)
        if rule.get("delay"):
            if self.platform._stopping.wait(rule["delay"]):
                rule["drop"] = True
        if rule.get("drop"):
            self.close_connection = True
            return
        status, ctype, body, headers = self._route(path, parse_qs(query, encoding="utf-8",
                                                                  errors="replace"))
        if "status" in rule:
            status = rule["status"]
        if "body" in rule:
            body = rule["body"]
        if "content_type" in rule:
            ctype = rule["content_type"]
        self._answer(status, ctype, body, headers + [tuple(h) for h in rule.get("headers", [])],
                     rule)

    def _answer(self, status, ctype, body, headers, rule=None):
        rule = rule or {}
        cl = rule.get("content_length")
        chunked = bool(rule.get("chunked"))
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        if not any(name.lower() == "cache-control" for name, _ in headers):
            self.send_header("Cache-Control", "no-cache")
        for name, value in headers:
            self.send_header(name, value)
        if isinstance(cl, int):
            self.send_header("Content-Length", str(cl))
        elif cl is None and not chunked:
            self.send_header("Content-Length", str(len(body)))
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        # Without a true length the client can only find the end at EOF,
        # and a wrong one would desynchronise a reused connection.
        if cl is not None or "cut" in rule:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if self.command == "HEAD":
            return
        wire = _chunk(body) if chunked else body
        if "cut" in rule:
            wire = wire[:rule["cut"]]
        try:
            if rule.get("trickle"):
                self._trickle(wire, rule["trickle"], rule.get("pause", 0.05))
            else:
                self.wfile.write(wire)
        except OSError:
            self.close_connection = True

    def _trickle(self, wire, piece, pause):
        """A slow server: the body in pieces with a pause before each but the first."""
        for i in range(0, len(wire), piece):
            if i and self.platform._stopping.wait(pause):
                raise OSError("stand-in stopping")
            self.wfile.write(wire[i:i + piece])
            self.wfile.flush()

    # -- the platform's endpoints ----------------------------------------------
    def _host(self):
        host = self.headers.get("Host", "")
        return host if SAFE_HOST.match(host) else "127.0.0.1:%d" % self.platform.port

    def _route(self, path, q):
        """Answer (status, content type, body, extra headers) for a platform path."""
        host = self._host()
        arg = lambda name: q.get(name, [""])[0]
        if path in REPORT_PATHS:
            return 200, TEXT_TYPE, b"OK", []
        m = CONFIG_PATH.match(path)
        if m:
            return self._config(m.group(1), host)
        m = FILE_PATH.match(path)
        if m:
            pub = self.platform._publication(m.group(1))
            if pub and pub["data"] is not None:
                return 200, "application/octet-stream", pub["data"], []
            return _not_found()
        if path == "/":
            return 200, HTML_TYPE, render("portal.html", HOST=host), []
        if path == "/quon/client/v2/index.html":
            return 200, HTML_TYPE, render("login.html", HOST=host), []
        if path == "/quon/game.html":
            sid, acc = arg("sid"), arg("acc")
            return 200, HTML_TYPE, render("game.html", HOST=host, SID=sid, ACC=acc), []
        if path == "/webgame.htm":
            return 200, HTML_TYPE, render("hall.html", HOST=host), []
        if path in ("/qzone/redirectToAuthorize.do", "/weibo/redirectToAuthorize.do"):
            return self._redirect_to_provider(path.split("/")[1], host)
        if path == "/oauth2.0/authorize":
            return self._authorize("qzone", arg("redirect_uri"), arg("state"), host)
        if path == "/oauth2/authorize":
            return self._authorize("weibo", arg("redirect_uri"), arg("state"), host)
        if path == "/qzone/callback.do":
            code = arg("code")
            if code.startswith("bind_"):        # a QQ account new to the platform
                return 302, TEXT_TYPE, b"", [("Location", "http://%s/qzone/extAutoBind.do?openid=%s"
                                               % (host, code[len("bind_"):]))]
            return self._callback("qq", code, host)
        if path == "/weibo/callback.do":
            return self._callback("weibo", arg("code"), host)
        if path == "/qzone/extAutoBind.do":
            return self._callback("qq", "autobind", host)
        if CACHE_PATH.match(path):
            return self._cacheable(path, arg("cookie"))
        return _not_found()

    def _config(self, name, host):
        pub = self.platform._publication(name)
        if not pub:
            return _not_found()
        addr = pub["upd_addr"] or "http://%s/files/%s.exe" % (host, name)
        text = "[VerKey]\r\n%s=%s\r\nUpdAddr=%s\r\n" % (name, pub["key"], addr)
        return 200, TEXT_TYPE, text.encode("utf-8"), []

    def _redirect_to_provider(self, service, host):
        """The service sends the browser to the provider's OAuth 2.0 page, with
        its own callback as redirect_uri; QQ Connect's page is https."""
        state = secrets.token_hex(4)
        if service == "qzone":
            target = "https://%s/oauth2.0/authorize?response_type=code&client_id=%s&redirect_uri=%s&state=%s" % (
                host, QQ_CLIENT_ID, quote("http://%s/qzone/callback.do" % host, safe=""), state)
        else:
            target = "http://%s/oauth2/authorize?client_id=%s&response_type=code&redirect_uri=%s&state=%s" % (
                host, WEIBO_CLIENT_ID, quote("http://%s/weibo/callback.do" % host, safe=""), state)
        session = "JSESSIONID=%s; path=/" % secrets.token_hex(8)
        return 302, TEXT_TYPE, b"", [("Location", target), ("Set-Cookie", session)]

    def _authorize(self, service, redirect_uri, state, host):
        """The provider's authorization page (played over plain http: the
        stand-in has no TLS), leading back to the service's callback."""
        callback = {"qzone": "/qzone/callback.do", "weibo": "/weibo/callback.do"}[service]
        if redirect_uri != "http://%s%s" % (host, callback) or not re.match(r"^[0-9a-f]{1,32}$", state):
            return 400, TEXT_TYPE, b"bad redirect_uri or state", []
        if service == "qzone":
            title, bind_style = "QQ登录授权", ""
            allow = "%s?code=%s&state=%s" % (callback, secrets.token_hex(6), state)
            deny = "%s?code=&state=%s" % (callback, state)
            bind = "%s?code=bind_%s&state=%s" % (callback, secrets.token_hex(6), state)
        else:
            title, bind_style = "新浪微博登录授权", "display:none"
            allow = "%s?state=%s&code=%s" % (callback, state, secrets.token_hex(6))
            deny = "%s?state=%s&code=" % (callback, state)
            bind = deny
        page = render("authorize.html", HOST=host, TITLE=title, ALLOW=allow, DENY=deny, BIND=bind,
                      BIND_STYLE=bind_style)
        return 200, HTML_TYPE, page, []

    def _cacheable(self, path, cookie):
        """A page or image the browser keeps in its cache; with ?cookie=NAME it
        also sets a persistent cookie NAME (stored beside the cache)."""
        if path.endswith(".png"):
            ctype, body = "image/png", PIXEL_PNG
        else:
            ctype = HTML_TYPE
            body = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title></head>"
                    "<body>%s</body></html>" % (html.escape(path), html.escape(path))).encode("utf-8")
        headers = [("Cache-Control", "max-age=86400"),
                   ("Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT")]
        if cookie and re.match(r"^[A-Za-z0-9_]{1,32}$", cookie):
            expires = formatdate(time.time() + 365 * 86400, usegmt=True)
            headers.append(("Set-Cookie", "%s=1; expires=%s; path=/" % (cookie, expires)))
        return 200, ctype, body, headers

    def _callback(self, provider, code, host):
        if not code:
            page = render("callback.html", HOST=host, TITLE="授权未完成",
                          MESSAGE="没有获得授权，请关闭窗口后重试。")
            return 200, HTML_TYPE, page, []
        token = "%s_%s" % (provider, secrets.token_hex(4))
        page = render("callback.html", HOST=host, TITLE="登录成功",
                      MESSAGE="账号 %s 已登录，请返回游戏。" % token)
        return 200, HTML_TYPE, page, [("Set-Cookie", "Pauth=%s; path=/" % token)]

    # -- control API -------------------------------------------------------------
    def _control(self, path, query, body):
        p = self.platform
        try:
            data = json.loads(body.decode("utf-8")) if body.strip() else {}
            name = path[len(CONTROL_PREFIX):]
            if name == "health":
                result = {"ok": True, "port": p.port}
            elif name == "log":
                prefix = parse_qs(query).get("prefix", [None])[0]
                result = p.requests(prefix)
            elif name == "rule" and self.command == "POST":
                rule_path = data.pop("path")
                if data.pop("clear", False):
                    p.clear_rule(rule_path)
                else:
                    p.set_rule(rule_path, **data)
                result = {"ok": True}
            elif name == "reset" and self.command == "POST":
                p.reset(published=bool(data.get("published")))
                result = {"ok": True}
            elif name == "publish" and self.command == "POST":
                blob = data.get("data_b64")
                p.publish(data["name"], data.get("key", ""),
                          base64.b64decode(blob) if blob is not None else None,
                          data.get("upd_addr"))
                result = {"ok": True}
            else:
                return self._answer(*_not_found())
        except (ValueError, KeyError, TypeError, AttributeError) as e:
            msg = json.dumps({"ok": False, "error": "%s: %s" % (type(e).__name__, e)})
            return self._answer(400, "application/json", msg.encode("utf-8"), [])
        out = json.dumps(result, ensure_ascii=False).encode("utf-8")
        self._answer(200, "application/json; charset=utf-8", out, [])


def _not_found():
    return 404, TEXT_TYPE, b"Not Found", []


def _chunk(body, size=1024):
    out = bytearray()
    for i in range(0, len(body), size):
        piece = body[i:i + size]
        out += b"%X\r\n%s\r\n" % (len(piece), piece)
    return bytes(out + b"0\r\n\r\n")


def main(argv=None):
    ap = argparse.ArgumentParser(description="Vexo platform stand-in server")
    ap.add_argument("--port", type=int, default=DEFAULT_PORT)
    ap.add_argument("--log", metavar="FILE", help="append one JSON line per request")
    ap.add_argument("-v", "--verbose", action="store_true", help="print requests to stderr")
    args = ap.parse_args(argv)

    done = threading.Event()
    for sig in (signal.SIGINT, signal.SIGTERM):
        signal.signal(sig, lambda *_: done.set())
    server = PlatformServer(port=args.port, log_path=args.log, verbose=args.verbose).start()
    print("Vexo platform stand-in on %s" % server.url, flush=True)
    while not done.wait(0.5):   # short waits keep the main thread responsive to signals
        pass
    server.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
