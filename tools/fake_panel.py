#!/usr/bin/env python3
"""A stand-in for the provider's classic-ASP user panel and for the public time page, on 127.0.0.1.

Pages are code page 936 bytes, like the real panel's. Every request is recorded (method, path,
headers in arrival order, body) and can be read back from the control endpoint or a JSON file.

  fake_panel.py [--panel-port N] [--time-port N] [--scenario NAME] [--record FILE] [--port-file FILE]
                [--no-panel] [--delay-ms N] [--fault STEP:MODE] [--expiry-minutes N] [--max-seconds S]
                [-- COMMAND ARGS...]

--delay-ms N holds every answer of the panel and the time page back by N milliseconds (control
endpoints excepted), like a distant server; scripts/bench times a renewal run against it.

--expiry-minutes N puts the VPS's expiry N minutes after the time page's time at the start (whole
seconds, shown in the panel's UTC+8 as "YYYY-MM-DD HH:MM:SS"), so a run's plan falls around the real
clock; with --time-ms -1 the time page gives the real clock.

With a COMMAND the servers run while the command runs (it sees KORVAN_PANEL_PORT, KORVAN_TIME_PORT
and KORVAN_CLOSED_PORT, a port nothing listens on, in its environment) and the command's exit
status is returned; without one they run until interrupted or until --max-seconds have passed.

--fault STEP:MODE breaks one exchange the way a real network or server does: STEP is one of the four
requests of a run (login, vps_list, renewal_page, renewal) or the time page (time); MODE is one of
  body_reset    the headers promise 6,000 bytes, 300 arrive, a pause, then a TCP reset
  body_short    the same 300 bytes, then an orderly close
  header_reset  half the header block, a pause, then a reset
  silent        the request is read and never answered until well past the client's time-out
The option may be given once per step.

Control endpoints on the panel port:
  GET  /_fake/requests           the recorded requests as JSON
  POST /_fake/scenario?name=X    switch the scenario (the login cookies stay)
  POST /_fake/reset              forget the recorded requests and every session
  POST /_fake/expiry?minutes=N   the expiry N minutes after the time page's time now (minutes= empty: EXPIRY)
Test endpoints on the panel port: /_echo/... answers with the request as the server saw it; the
query picks the answer (status=N, cookies=mixed|spaced, sleep=S before answering, stall=S between
headers and body, redirect=1, body=N bytes, fault=MODE with hold=S for silent).
"""

import argparse
import json
import os
import random
import signal
import socket
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

SCENARIOS = (
    "success",          # login, VPS list, expiry, renewal accepted
    "wrong_password",   # the panel says the password is wrong
    "login_500",        # the login answers 500 with an empty body
    "no_vps",           # the VPS list holds no VPS link
    "renewal_refused",  # the renewal answer is the one-day text
    "expiry_moves",     # renewal accepted, and each accepted renewal puts the expiry one day later
    "expiry_kept",      # renewal accepted, but the expiry stays where it was
    "unknown_verdict",  # the renewal answer holds neither success nor the one-day text
    "success_cp936",    # the renewal answer says success in code page 936 bytes, not UTF-8
    "zero_byte",        # the renewal answer holds a zero byte before the success text
    "garbage",          # the login answer is megabytes of random bytes
    "login_delayed",    # the login answer's body comes after the client's time-out
    "reset",            # the login answer's connection is reset in the middle of the body
    "fails_once",       # the first renewal answer holds an unknown verdict, every later one success
)

FAULT_STEPS = ("login", "vps_list", "renewal_page", "renewal", "time")
FAULT_MODES = ("body_reset", "body_short", "header_reset", "silent")
FAULT_PROMISED_BYTES = 6000
FAULT_SENT_BYTES = 300
FAULT_PAUSE_SECONDS = 0.3
SILENT_SECONDS = 75  # beyond the 62 seconds a request with the default 15-second time-out is waited for
TIME_PAGE_SILENT_SECONDS = 27  # beyond the 15 seconds the time page is waited for, once

USER = "demo"
PASSWORD = "pa ss&1"
VPS_IDS = ("80123", "80124", "80125")
EXPIRY = "2024-05-06 12:00:00"
EXPIRY_MOVED_FORMAT = "2024-05-%02d 12:00:00"  # EXPIRY plus one day per renewal accepted in expiry_moves (20 at most)
DEFAULT_TIME_MS = 1700000000123  # stamps 2023年11月15日6时13分20秒
PANEL_UTC_OFFSET = 8 * 3600      # the panel writes its times in UTC+8
LOGIN_DELAY_SECONDS = 20         # beyond the 15-second default time-out
GARBAGE_BYTES = 4 * 1024 * 1024


def gbk(text):
    return text.encode("gbk")


def escaped_utf8(text):
    return urllib.parse.quote(text, safe="").encode("ascii")


LOGIN_OK_PAGE = gbk("<html><head><title>登录</title></head><body>"
                    "<script>top.location='/default.asp';</script></body></html>")
WRONG_PASSWORD_PAGE = gbk("<html><body><script>alert('密码不正确，请重新输入！');history.back();</script>"
                          "</body></html>")
LOGGED_OUT_PAGE = gbk("<html><body><script>alert('请先登录！');top.location='/idc/top_login.asp';"
                      "</script></body></html>")
VPS_LIST_PAGE = gbk(
    "<html><body><a href='/user/logininfo.asp?x=1&go=c'>资料</a><table>"
    + "".join("<tr><td>VPS %s</td><td><a href='vpsadm2.asp?id=%s&go=c'>管理</a></td></tr>" % (i, i)
              for i in VPS_IDS)
    + "</table></body></html>")
NO_VPS_PAGE = gbk("<html><body><table><tr><td>您还没有VPS</td></tr></table></body></html>")
RENEWAL_PAGE_TEMPLATE = ("<html><body><form action='selfvpsmodifyendtime.asp' method='post'><table>"
                         "<tr><TD>产品编号：%s</TD></tr><tr><TD>到期时间：%s</TD></tr>"
                         "<input type='hidden' name='id' value='%s'></table></form></body></html>")
RENEWED_ANSWER = (b"<script>alert(decodeURIComponent('" + escaped_utf8("续费成功！")
                  + b"'));location.href='/user/vpsadm.asp';</script>")
REFUSED_ANSWER = (b"<script>alert(decodeURIComponent('" + escaped_utf8("请在该产品到期前1日内进行积分免费续期")
                  + b"'));history.back();</script>")
RENEWED_CP936_ANSWER = gbk("<script>alert('续费成功！');</script>")
UNKNOWN_ANSWER = (b"<script>alert(decodeURIComponent('" + escaped_utf8("系统繁忙，请稍后再试")
                  + b"'));history.back();</script>")
ZERO_BYTE_ANSWER = b"<script>\x00alert(decodeURIComponent('" + escaped_utf8("续费成功！") + b"'));</script>"


class PanelState:
    def __init__(self, scenario, record_path):
        self.lock = threading.Lock()
        self.scenario = scenario
        self.record_path = record_path
        self.requests = []
        self.sessions = set()
        self.logins = set()
        self.counter = 0
        self.renewals = 0  # renewals accepted in expiry_moves since the last reset
        self.stopping = threading.Event()
        self.delay_seconds = 0.0
        # (user or None for every user, step) -> fault mode; the time page's user is always None.
        self.faults = {}
        self.login_users = {}  # login token -> the user it was given to
        self.broken = []       # (user, step, mode, monotonic time the broken exchange ended)
        self.time_ms = DEFAULT_TIME_MS  # what the time page gives; None: the real clock
        self.expiry_seconds = None      # the expiry in Unix seconds; None: EXPIRY
        self.expiry_prefix = ""         # put before the expiry text on the renewal page
        self.renewals_answered = 0      # renewal answers given in fails_once since the last reset
        # Per user, for cases side by side: the scenario and the expiry in Unix seconds.
        self.user_scenarios = {}
        self.user_expiry_seconds = {}

    def time_page_ms(self):
        return self.time_ms if self.time_ms is not None else int(time.time() * 1000)

    def set_expiry_minutes(self, minutes, user=None):
        """Fixes the expiry `minutes` after the time page's time now (None: EXPIRY), for one user or
        for all; its Unix seconds. Call with the lock held."""
        seconds = None if minutes is None else self.time_page_ms() // 1000 + int(minutes * 60)
        if user is None:
            self.expiry_seconds = seconds
        else:
            self.user_expiry_seconds[user] = seconds
        return seconds

    def expiry(self, user=None):
        """The renewal page's expiry text (of the user's own expiry, if set); call with the lock held."""
        seconds = self.user_expiry_seconds.get(user, self.expiry_seconds)
        if seconds is not None:
            return self.expiry_prefix + time.strftime("%Y-%m-%d %H:%M:%S",
                                                      time.gmtime(seconds + PANEL_UTC_OFFSET))
        return self.expiry_prefix + (EXPIRY_MOVED_FORMAT % (6 + min(self.renewals, 20)) if self.renewals else EXPIRY)

    def fault_for(self, user, step):
        with self.lock:
            return self.faults.get((user, step)) or self.faults.get((None, step))

    def record(self, entry):
        with self.lock:
            self.requests.append(entry)
            snapshot = list(self.requests)
        if self.record_path:
            temporary = self.record_path + ".tmp"
            with open(temporary, "w", encoding="utf-8") as out:
                json.dump(snapshot, out, ensure_ascii=False, indent=1)
            os.replace(temporary, self.record_path)

    def new_token(self, prefix):
        with self.lock:
            self.counter += 1
            return "%s%06d%04d" % (prefix, self.counter, random.randrange(10000))


def cookie_values(header):
    values = {}
    for part in (header or "").split(";"):
        name, sep, value = part.strip().partition("=")
        if sep:
            values[name] = value
    return values


class QuietHandler(BaseHTTPRequestHandler):
    server_version = "Microsoft-IIS/6.0"
    sys_version = ""

    def log_message(self, *args):
        pass

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def answer(self, status, body, headers=()):
        delay = self.server.state.delay_seconds
        if delay and not self.path.startswith("/_fake/"):
            time.sleep(delay)
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD" and body:
            self.wfile.write(body)


    def fault(self, mode, body, headers=(), silent_seconds=SILENT_SECONDS):
        """Answers with `body` broken by `mode` (one of FAULT_MODES); the connection ends with it."""
        self.close_connection = True
        if mode == "silent":
            self.server.state.stopping.wait(silent_seconds)
            return
        # The real answer behind filler, so that the part that arrives holds none of its markers.
        filler = max(0, FAULT_PROMISED_BYTES - len(body) - 7)
        promised = b"<!--" + b" " * filler + b"-->" + body
        lines = ["HTTP/1.1 200 OK", "Server: " + self.server_version]
        lines += ["%s: %s" % (name, value) for name, value in headers]
        lines.append("Content-Length: %d" % len(promised))
        head = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")
        self.wfile.write(head[:len(head) // 2] if mode == "header_reset" else head + promised[:FAULT_SENT_BYTES])
        self.wfile.flush()
        # Long enough for the client to have taken in what came before the connection ends.
        time.sleep(FAULT_PAUSE_SECONDS)
        if mode != "body_short":
            # Linger 0: the close sends a reset instead of an orderly end.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()

    def broken_answer(self, user, step, mode, body, headers=()):
        self.fault(mode, body, headers, TIME_PAGE_SILENT_SECONDS if step == "time" else SILENT_SECONDS)
        with self.server.state.lock:
            self.server.state.broken.append((user, step, mode, time.monotonic()))

    def stall_body(self, seconds, body, headers=()):
        """The status and headers at once, the body only after `seconds`: the client's receive
        time-out covers this wait everywhere (Wine's request object does not bound the wait for the
        headers themselves)."""
        self.send_response(200)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.flush()
        self.server.state.stopping.wait(seconds)
        self.wfile.write(body)


class TimeHandler(QuietHandler):
    def do_GET(self):
        state = self.server.state
        state.record({"server": "time", "method": "GET", "path": self.path,
                      "headers": list(self.headers.items()), "body": "", "at": time.monotonic()})
        if urllib.parse.urlsplit(self.path).path != "/special/time":
            self.answer(404, b"not found")
            return
        ms = state.time_page_ms()
        mode = state.fault_for(None, "time")
        if mode:
            self.broken_answer(None, "time", mode, b"window.baidu_time(%d);" % ms)
            return
        self.answer(200, b"window.baidu_time(%d);" % ms, [("Content-Type", "text/javascript")])


class PanelHandler(QuietHandler):
    def do_GET(self):
        self.handle_any()

    def do_POST(self):
        self.handle_any()

    def do_HEAD(self):
        self.handle_any()

    def handle_any(self):
        state = self.server.state
        body = self.read_body()
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        state.record({"server": "panel", "method": self.command, "path": self.path,
                      "headers": list(self.headers.items()), "body": body.decode("latin-1"),
                      "user": self.request_user(url.path, body), "at": time.monotonic()})
        if url.path.startswith("/_fake/"):
            self.control(url.path, query)
        elif url.path.startswith("/_echo"):
            self.echo(body, query)
        else:
            self.panel(url.path, body)

    def request_user(self, path, body):
        """Whose request this is: the login form's user name, or the user of the login cookie."""
        if path == "/user/usertop_login.asp":
            form = urllib.parse.parse_qs(body.decode("latin-1"), keep_blank_values=True, encoding="gbk")
            return form.get("username", [None])[0]
        token = cookie_values(self.headers.get("Cookie")).get("vpsuser")
        with self.server.state.lock:
            return self.server.state.login_users.get(token)

    # --- control ---------------------------------------------------------------------------------
    def control(self, path, query):
        state = self.server.state
        if path == "/_fake/requests":
            with state.lock:
                data = json.dumps(state.requests, ensure_ascii=False).encode("utf-8")
            self.answer(200, data, [("Content-Type", "application/json")])
        elif path == "/_fake/scenario" and query.get("name", [""])[0] in SCENARIOS:
            with state.lock:
                state.scenario = query["name"][0]
            self.answer(200, b"ok")
        elif path == "/_fake/expiry":
            minutes = query.get("minutes", [""])[0]
            with state.lock:
                state.set_expiry_minutes(float(minutes) if minutes else None)
            self.answer(200, b"ok")
        elif path == "/_fake/reset":
            with state.lock:
                state.renewals_answered = 0
                state.requests.clear()
                state.sessions.clear()
                state.logins.clear()
                state.renewals = 0
                state.login_users.clear()
            self.answer(200, b"ok")
        else:
            self.answer(400, b"bad control request")

    # --- echo, for the request operation's own tests ----------------------------------------------
    def echo(self, body, query):
        seconds = min(float(query.get("sleep", ["0"])[0]), 60.0)
        if seconds > 0:
            time.sleep(seconds)
        if query.get("redirect"):
            self.answer(302, b"moved", [("Location", "/_echo/target")])
            return
        if query.get("fault", [""])[0] in FAULT_MODES:
            self.fault(query["fault"][0], b"broken body", [("Set-Cookie", "broken=1; path=/")],
                       silent_seconds=min(float(query.get("hold", ["30"])[0]), 60.0))
            return
        stall = min(float(query.get("stall", ["0"])[0]), 60.0)
        if stall > 0:
            self.stall_body(stall, b"late body")
            return
        status = int(query.get("status", ["200"])[0])
        headers = [("Content-Type", "text/plain")]
        kind = query.get("cookies", [""])[0]
        if kind == "mixed":
            headers += [("set-cookie", "a=1; path=/"), ("Set-Cookie", "b=2")]
        elif kind == "spaced":
            headers += [("Set-Cookie", "y=2; path=/"), ("Set-Cookie ", "x=1; path=/")]
        if "body" in query:
            size = min(int(query["body"][0]), 64 * 1024 * 1024)
            self.answer(status, bytes(i % 251 for i in range(size)), headers)
            return
        lines = [self.requestline.encode("latin-1")]
        lines += [("%s: %s" % (name, value)).encode("latin-1") for name, value in self.headers.items()]
        self.answer(status, b"\n".join(lines) + b"\n\n" + body, headers)

    # --- the provider's panel ----------------------------------------------------------------------
    def panel(self, path, body):
        state = self.server.state
        cookies = cookie_values(self.headers.get("Cookie"))
        extra = []
        user = self.request_user(path, body)
        with state.lock:
            scenario = state.user_scenarios.get(user, state.scenario)
            has_session = cookies.get("ASPSESSIONIDQQ") in state.sessions
            logged_in = cookies.get("vpsuser") in state.logins
        if not has_session:
            session = state.new_token("S")
            with state.lock:
                state.sessions.add(session)
            # Classic ASP writes its session cookie in lower case.
            extra.append(("set-cookie", "ASPSESSIONIDQQ=%s; path=/" % session))

        step = {"/user/usertop_login.asp": "login", "/user/vpsadm.asp": "vps_list",
                "/vpsadm/selfvpsmodifyrepay.asp": "renewal_page",
                "/vpsadm/selfvpsmodifyendtime.asp": "renewal"}.get(path)
        mode = state.fault_for(user, step) if step else None
        if mode:
            pages = {"login": LOGIN_OK_PAGE, "vps_list": VPS_LIST_PAGE, "renewal_page": gbk(
                RENEWAL_PAGE_TEMPLATE % (VPS_IDS[0], EXPIRY, VPS_IDS[0])), "renewal": RENEWED_ANSWER}
            self.broken_answer(user, step, mode, pages[step], extra + [("Content-Type", "text/html; charset=gb2312")])
        elif path == "/user/usertop_login.asp" and self.command == "POST":
            self.login(scenario, body, extra)
        elif path == "/user/vpsadm.asp":
            self.page(VPS_LIST_PAGE if scenario != "no_vps" else NO_VPS_PAGE, logged_in, extra)
        elif path == "/vpsadm/selfvpsmodifyrepay.asp":
            vps_id = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query).get("id", [""])[0]
            with state.lock:
                expiry = state.expiry(user)
            self.page(gbk(RENEWAL_PAGE_TEMPLATE % (vps_id, expiry, vps_id)), logged_in, extra)
        elif path == "/vpsadm/selfvpsmodifyendtime.asp" and self.command == "POST":
            answers = {"renewal_refused": REFUSED_ANSWER, "success_cp936": RENEWED_CP936_ANSWER,
                       "zero_byte": ZERO_BYTE_ANSWER, "unknown_verdict": UNKNOWN_ANSWER}
            if scenario == "expiry_moves" and logged_in:
                with state.lock:
                    state.renewals += 1
            if scenario == "fails_once" and logged_in:
                with state.lock:
                    state.renewals_answered += 1
                    if state.renewals_answered == 1:
                        answers[scenario] = UNKNOWN_ANSWER
            self.page(answers.get(scenario, RENEWED_ANSWER), logged_in, extra)
        else:
            self.answer(404, gbk("<html><body>404 页面不存在</body></html>"), extra)

    def page(self, content, logged_in, extra):
        self.answer(200, content if logged_in else LOGGED_OUT_PAGE,
                    extra + [("Content-Type", "text/html; charset=gb2312")])

    def login(self, scenario, body, extra):
        state = self.server.state
        html = [("Content-Type", "text/html; charset=gb2312")]
        if scenario == "login_500":
            self.answer(500, b"", extra)
        elif scenario == "garbage":
            generator = random.Random(936)
            self.answer(200, bytes(generator.getrandbits(8) for _ in range(GARBAGE_BYTES)), extra + html)
        elif scenario == "login_delayed":
            self.stall_body(LOGIN_DELAY_SECONDS, LOGIN_OK_PAGE, extra + html)
        elif scenario == "reset":
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            self.end_headers()
            self.wfile.write(LOGIN_OK_PAGE[:20])
            self.wfile.flush()
            # Linger 0: the close sends a reset instead of an orderly end.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
        else:
            form = urllib.parse.parse_qs(body.decode("latin-1"), keep_blank_values=True, encoding="gbk")
            user = form.get("username", [""])[0]
            password = form.get("password", [""])[0]
            if scenario != "wrong_password" and user in self.server.users and password == self.server.password:
                token = state.new_token("L")
                with state.lock:
                    state.logins.add(token)
                    state.login_users[token] = user
                extra.append(("Set-Cookie", "vpsuser=%s; expires=Wed, 01-Jan-2031 00:00:00 GMT; path=/" % token))
                self.answer(200, LOGIN_OK_PAGE, extra + html)
            else:
                self.answer(200, WRONG_PASSWORD_PAGE, extra + html)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # a client that gives up (time-out tests) is no failure of ours


def start_server(handler, port, state, **attributes):
    server = Server(("127.0.0.1", port), handler)
    server.state = state
    for name, value in attributes.items():
        setattr(server, name, value)
    thread = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    thread.start()
    return server


class FakePanel:
    """The two servers, for use from Python tests: with FakePanel(...) as panel: panel.panel_port."""

    def __init__(self, scenario="success", panel_port=0, time_port=0, record_path=None, no_panel=False,
                 time_ms=DEFAULT_TIME_MS, user=USER, password=PASSWORD, delay_ms=0, faults=(), users=(),
                 expiry_minutes=None):
        self.state = PanelState(scenario, record_path)
        self.state.time_ms = time_ms
        self.state.set_expiry_minutes(expiry_minutes)
        self.state.delay_seconds = delay_ms / 1000
        for step, mode in faults:
            self.set_fault(step, mode)
        # Every user logs in with the same password: cases that run side by side tell themselves
        # apart by their user names.
        self.panel = None if no_panel else start_server(PanelHandler, panel_port, self.state, user=user,
                                                        users={user, *users}, password=password)
        self.time = start_server(TimeHandler, time_port, self.state)
        self.panel_port = self.panel.server_address[1] if self.panel else panel_port
        self.time_port = self.time.server_address[1]

    def set_scenario(self, scenario):
        assert scenario in SCENARIOS, scenario
        with self.state.lock:
            self.state.scenario = scenario

    def set_fault(self, step, mode, user=None):
        """Breaks every answer at `step` (FAULT_STEPS) by `mode` (FAULT_MODES, None: answers again),
        for one user or, with user None, for all."""
        assert step in FAULT_STEPS and (mode is None or mode in FAULT_MODES), (step, mode)
        assert user is None or step != "time", "the time page's requests carry no user"
        with self.state.lock:
            if mode:
                self.state.faults[(user, step)] = mode
            else:
                self.state.faults.pop((user, step), None)

    def broken(self, user=None):
        """(step, mode, monotonic end time) of each broken exchange of the user (None: the time page)."""
        with self.state.lock:
            return [entry[1:] for entry in self.state.broken if entry[0] == user]

    def set_expiry_minutes(self, minutes, user=None):
        """The expiry `minutes` after the time page's time now, for one user or all; None: EXPIRY
        again. Its Unix seconds."""
        with self.state.lock:
            return self.state.set_expiry_minutes(minutes, user)

    def set_user_scenario(self, user, scenario):
        """The scenario of one user's requests, whatever the panel's is."""
        assert scenario in SCENARIOS, scenario
        with self.state.lock:
            self.state.user_scenarios[user] = scenario

    def set_expiry_prefix(self, text):
        """Puts text before the expiry on the renewal page: a panel whose expiry cell runs on."""
        with self.state.lock:
            self.state.expiry_prefix = text

    def reset(self):
        with self.state.lock:
            self.state.renewals_answered = 0
            self.state.requests.clear()
            self.state.sessions.clear()
            self.state.logins.clear()
            self.state.renewals = 0
            self.state.login_users.clear()

    def requests(self, server="panel"):
        with self.state.lock:
            return [r for r in self.state.requests if r["server"] == server]

    def close(self):
        self.state.stopping.set()
        for server in (self.panel, self.time):
            if server:
                server.shutdown()
                server.server_close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def closed_port():
    """A loopback port that nothing listens on (it was free a moment ago): connection refused."""
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def fault_argument(text):
    step, _, mode = text.partition(":")
    if step not in FAULT_STEPS or mode not in FAULT_MODES:
        raise argparse.ArgumentTypeError("%r is not STEP:MODE" % text)
    return step, mode


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--panel-port", type=int, default=0)
    parser.add_argument("--time-port", type=int, default=0)
    parser.add_argument("--scenario", choices=SCENARIOS, default="success")
    parser.add_argument("--record")
    parser.add_argument("--port-file")
    parser.add_argument("--no-panel", action="store_true", help="leave the panel port closed (connection refused)")
    parser.add_argument("--time-ms", type=int, default=DEFAULT_TIME_MS, help="-1: the real clock")
    parser.add_argument("--delay-ms", type=int, default=0, help="hold every answer back this long")
    parser.add_argument("--fault", action="append", default=[], metavar="STEP:MODE", type=fault_argument,
                        help="break the answers at STEP (%s) by MODE (%s)" % (", ".join(FAULT_STEPS),
                                                                             ", ".join(FAULT_MODES)))
    parser.add_argument("--expiry-minutes", type=float, help="the expiry this long after the time page's time")
    parser.add_argument("--max-seconds", type=float, default=900)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    fake = FakePanel(args.scenario, args.panel_port, args.time_port, args.record, args.no_panel,
                     None if args.time_ms == -1 else args.time_ms, delay_ms=args.delay_ms, faults=args.fault,
                     expiry_minutes=args.expiry_minutes)
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as out:
            out.write("%d %d\n" % (fake.panel_port, fake.time_port))
        os.replace(args.port_file + ".tmp", args.port_file)
    try:
        if command:
            environment = dict(os.environ, KORVAN_PANEL_PORT=str(fake.panel_port),
                               KORVAN_TIME_PORT=str(fake.time_port), KORVAN_CLOSED_PORT=str(closed_port()))
            try:
                return subprocess.run(command, env=environment, timeout=args.max_seconds).returncode
            except subprocess.TimeoutExpired:
                print("fake_panel: command timed out", file=sys.stderr)
                return 124
        stop = threading.Event()
        signal.signal(signal.SIGTERM, lambda *_: stop.set())
        print("fake_panel: panel %d, time %d" % (fake.panel_port, fake.time_port), flush=True)
        try:
            stop.wait(args.max_seconds)
        except KeyboardInterrupt:
            pass
        return 0
    finally:
        fake.close()


if __name__ == "__main__":
    sys.exit(main())
