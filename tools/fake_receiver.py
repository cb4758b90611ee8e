#!/usr/bin/env python3
"""A stand-in for the push services and the heartbeat monitor, on 127.0.0.1.

Each channel has a path of its own; every request is recorded (method, path with its query,
headers in arrival order, body) and answered the way that service answers. How a path answers can
be changed per path prefix:
  ok       the service's success (Server酱 code 0, PushPlus code 200, errcode 0, ...)
  error    HTTP 200 with the service's refusal code
  http500  HTTP 500
  redirect HTTP 302 to another path of this server
  hang     the request is read and never answered (until the server stops)
  garbage  HTTP 200 with bytes that are no JSON

  fake_receiver.py [--port N] [--mode PREFIX=MODE ...] [--record FILE] [--max-seconds S] [-- COMMAND ...]

With a COMMAND the receiver runs while it runs (KORVAN_RECEIVER_PORT and KORVAN_CLOSED_PORT, a
port nothing listens on, in its environment) and the
requests are printed when it ends; without one it runs until interrupted or --max-seconds pass.
Control endpoints: GET /_fake/requests (JSON), POST /_fake/mode?path=P&mode=M, POST /_fake/reset.
Standard library only.
"""
import argparse
import json
import os
import socket
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

# The path of each channel, as the end-to-end tests write them into korvan.ini.
CHANNEL_PATHS = {
    "serverchan": "/serverchan/SCT1.send",
    "pushplus": "/pushplus/send/token1",
    "wecom": "/wecom/cgi-bin/webhook/send?key=k1",
    "dingtalk": "/dingtalk/robot/send?access_token=t1",
    "feishu": "/feishu/open-apis/bot/v2/hook/h1",
    "bark": "/bark/devicekey1",
    "telegram": "/telegram/bot1:tok/sendMessage?chat_id=42",
    "webhook": "/webhook/in",
    "heartbeat": "/heartbeat/uuid1",
}

# What each service answers: (success body, refusal body).
ANSWERS = {
    "serverchan": ({"code": 0, "message": "", "data": {"pushid": "1"}}, {"code": 40001, "message": "bad key"}),
    "pushplus": ({"code": 200, "msg": "请求成功", "data": "x"}, {"code": 903, "msg": "无效的用户token"}),
    "wecom": ({"errcode": 0, "errmsg": "ok"}, {"errcode": 93000, "errmsg": "invalid webhook url"}),
    "dingtalk": ({"errcode": 0, "errmsg": "ok"}, {"errcode": 310000, "errmsg": "sign not match"}),
    "feishu": ({"code": 0, "data": {}, "msg": "success"}, {"code": 19021, "msg": "sign match fail"}),
    "bark": ({"code": 200, "message": "success", "timestamp": 1}, {"code": 400, "message": "failed"}),
    "telegram": ({"ok": True, "result": {"message_id": 1}}, {"ok": False, "error_code": 400}),
    "webhook": ({"received": True}, None),
    "heartbeat": (None, None),
}
MODES = ("ok", "error", "http500", "redirect", "hang", "garbage")
HANG_SECONDS = 60  # beyond the pushes' 10-second time-out


def channel_of(path):
    for name, channel_path in CHANNEL_PATHS.items():
        if path.startswith(channel_path.split("?")[0]):
            return name
    return None


class State:
    def __init__(self):
        self.lock = threading.Lock()
        self.requests = []
        self.modes = {}  # path prefix -> mode
        self.stopping = threading.Event()

    def mode_for(self, path):
        with self.lock:
            for prefix, mode in self.modes.items():
                if path.startswith(prefix):
                    return mode
        return "ok"


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.handle_any()

    def do_POST(self):
        self.handle_any()

    def answer(self, status, body, content_type="application/json; charset=utf-8", headers=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_any(self):
        state = self.server.state
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        url = urllib.parse.urlsplit(self.path)
        if url.path.startswith("/_fake/"):
            return self.control(url)
        with state.lock:
            state.requests.append({"method": self.command, "path": self.path, "headers": list(self.headers.items()),
                                   "body": body.decode("utf-8", "replace"), "time": time.time()})
        channel = channel_of(url.path)
        mode = state.mode_for(self.path)
        if mode == "hang":
            self.close_connection = True
            state.stopping.wait(HANG_SECONDS)
            return
        if mode == "http500":
            return self.answer(500, b"Internal Server Error", "text/plain")
        if mode == "redirect":
            return self.answer(302, b"", "text/plain", [("Location", "/elsewhere" + url.path)])
        if mode == "garbage":
            return self.answer(200, b"\xff\xfe<html>not json" + b"x" * 4096, "text/html")
        success, refusal = ANSWERS.get(channel, (None, None))
        chosen = refusal if mode == "error" and refusal is not None else success
        if mode == "error" and refusal is None:
            return self.answer(400, b"bad request", "text/plain")
        if chosen is None:
            return self.answer(200, b"OK", "text/plain")
        self.answer(200, json.dumps(chosen, ensure_ascii=False).encode("utf-8"))

    def control(self, url):
        state = self.server.state
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/_fake/requests":
            with state.lock:
                body = json.dumps(state.requests, ensure_ascii=False).encode("utf-8")
            return self.answer(200, body)
        if url.path == "/_fake/mode" and query.get("mode", [""])[0] in MODES:
            with state.lock:
                state.modes[query.get("path", ["/"])[0]] = query["mode"][0]
            return self.answer(200, b"{}")
        if url.path == "/_fake/reset":
            with state.lock:
                state.requests.clear()
                state.modes.clear()
            return self.answer(200, b"{}")
        self.answer(404, b"{}")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # a client that gave up on a hanging answer is no failure of ours


class FakeReceiver:
    """For Python tests: with FakeReceiver(port) as receiver: receiver.url("bark")."""

    def __init__(self, port=0, modes=None):
        self.state = State()
        self.state.modes.update(modes or {})
        self.server = Server(("127.0.0.1", port), Handler)
        self.server.state = self.state
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
        self.thread.start()

    def url(self, channel):
        return "http://127.0.0.1:%d%s" % (self.port, CHANNEL_PATHS[channel])

    def set_mode(self, prefix, mode):
        assert mode in MODES, mode
        with self.state.lock:
            self.state.modes[prefix] = mode

    def requests(self, channel=None):
        with self.state.lock:
            found = list(self.state.requests)
        if channel is None:
            return found
        return [r for r in found if channel_of(urllib.parse.urlsplit(r["path"]).path) == channel]

    def reset(self):
        with self.state.lock:
            self.state.requests.clear()

    def close(self):
        self.state.stopping.set()
        self.server.shutdown()
        self.server.server_close()

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


def print_requests(requests, out=sys.stdout):
    for r in requests:
        print("%s %s" % (r["method"], r["path"]), file=out)
        for name, value in r["headers"]:
            if name.lower() in ("content-type", "content-length"):
                print("  %s: %s" % (name, value), file=out)
        if r["body"]:
            print("  " + r["body"].replace("\n", "\n  "), file=out)


def mode_argument(text):
    prefix, _, mode = text.rpartition("=")
    if not prefix.startswith("/") or mode not in MODES:
        raise argparse.ArgumentTypeError("%r is not PREFIX=MODE (MODE one of %s)" % (text, ", ".join(MODES)))
    return prefix, mode


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--mode", action="append", default=[], type=mode_argument, metavar="PREFIX=MODE")
    parser.add_argument("--record", help="write the recorded requests to this JSON file at the end")
    parser.add_argument("--max-seconds", type=float, default=600)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    receiver = FakeReceiver(args.port, dict(args.mode))
    code = 0
    try:
        if command:
            environment = dict(os.environ, KORVAN_RECEIVER_PORT=str(receiver.port), KORVAN_CLOSED_PORT=str(closed_port()))
            try:
                code = subprocess.run(command, env=environment, timeout=args.max_seconds).returncode
            except subprocess.TimeoutExpired:
                code = 124
            print_requests(receiver.requests())
        else:
            print("fake receiver on 127.0.0.1:%d" % receiver.port, flush=True)
            receiver.state.stopping.wait(args.max_seconds)
    except KeyboardInterrupt:
        pass
    finally:
        if args.record:
            with open(args.record, "w", encoding="utf-8") as record:
                json.dump(receiver.requests(), record, ensure_ascii=False, indent=1)
        receiver.close()
    return code


if __name__ == "__main__":
    sys.exit(main())
