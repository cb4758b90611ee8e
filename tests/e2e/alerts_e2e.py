#!/usr/bin/env python3
"""End-to-end checks of the pushes and the heartbeat: korvan.exe under Wine against tools/fake_panel.py
and tools/fake_receiver.py, both on 127.0.0.1.

korvan.exe must be built with its site and time hosts at 127.0.0.1 ports (as for renewal_e2e.py).
Each case starts a fresh korvan.exe in its own directory with a korvan.ini whose "高级设置" section
points the channels at the fake receiver, waits for the run's entries and pings, and checks the log
and what each channel received. Standard library only; needs WINEPREFIX; DISPLAY or an own Xvfb.
"""
import argparse
import base64
import hashlib
import hmac
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time
import urllib.parse

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent.parent / "tools"))

import fake_panel  # noqa: E402
import fake_receiver  # noqa: E402
from korvan_e2e import Display, panel_driver_arguments, shared_wineserver, Session, Wine, check, run_cases, wait_until  # noqa: E402
from renewal_e2e import EXPIRY, LOGGED_IN, RENEWED, STAMP, USER, WRONG_PASSWORD, log_entries  # noqa: E402

CHANNELS = ("serverchan", "pushplus", "wecom", "dingtalk", "feishu", "bark", "telegram", "webhook")
DINGTALK_SECRET = "SEC1"
# The time page's milliseconds cut to the second, as the log's stamps are.
SIGNED_MILLISECONDS = fake_panel.DEFAULT_TIME_MS // 1000 * 1000
# The next run after a run at the tick of a 10-hour period, by the time page's 6:13:20: the N-hour
# run, its clock time and distance as 运行状况's first line says them (the timer has run a few seconds).
NEXT_CHECK = r"16时1[23]分（(10小时0|9小时59)分钟后，定时续期）"
HEARTBEAT = fake_receiver.CHANNEL_PATHS["heartbeat"]

# case: (panel scenario, channels set, "closed": channels at a closed port, notify, failures in
# korvan-status.ini (None: no record), the log's messages, the pushed title or None, heartbeat pings)
CASES = {
    "wrong-password": ("wrong_password", CHANNELS, (), None, None, [WRONG_PASSWORD],
                       "Korvan：密码不正确", ["GET %s/start" % HEARTBEAT, "POST %s/fail" % HEARTBEAT]),
    "recovered": ("success", ("serverchan", "webhook"), (), "fail", 2, [LOGGED_IN, EXPIRY, RENEWED],
                  "Korvan：已恢复正常", ["GET %s/start" % HEARTBEAT, "POST %s" % HEARTBEAT]),
    "good-first-run": ("success", CHANNELS, (), "fail", None, [LOGGED_IN, EXPIRY, RENEWED],
                       None, ["GET %s/start" % HEARTBEAT, "POST %s" % HEARTBEAT]),
    "closed-port": ("wrong_password", ("wecom", "bark", "webhook"), ("bark",), None, None,
                    [WRONG_PASSWORD, "推送失败：Bark（无法连接）"], "Korvan：密码不正确",
                    ["GET %s/start" % HEARTBEAT, "POST %s/fail" % HEARTBEAT]),
}


def write_files(directory, receiver, channels, closed, notify, failures):
    closed_port = fake_panel.closed_port()
    lines = ["[登录配置]", "user=%s" % USER, "pass=%s" % fake_panel.PASSWORD, "[监控续费时间]", "time=10",
             "[重启软件时间]", "time=24", "[高级设置]"]
    for channel in channels:
        url = receiver.url(channel)
        if channel in closed:
            url = url.replace(":%d/" % receiver.port, ":%d/" % closed_port)
        lines.append("%s=%s" % (channel, url))
    if "dingtalk" in channels:
        lines.append("dingtalkSecret=%s" % DINGTALK_SECRET)
    lines.append("heartbeat=%s" % receiver.url("heartbeat"))
    if notify:
        lines.append("notify=%s" % notify)
    if failures is not None:
        lines.append("history=1")
        status = ["[运行状态]", "lastRun=%s" % STAMP, "lastResult=%s" % WRONG_PASSWORD, "failures=%d" % failures]
        (pathlib.Path(directory) / "korvan-status.ini").write_bytes(("\r\n".join(status) + "\r\n").encode("gbk"))
    (pathlib.Path(directory) / "korvan.ini").write_bytes(("\r\n".join(lines) + "\r\n").encode("gbk"))


def form_encode(text):
    # The program keeps letters, digits and "*-._" as they are, like a browser's form.
    return urllib.parse.quote_plus(text.encode("utf-8"), safe="*")


def check_bytes(receiver, title):
    """The request bytes of the webhook (JSON), Server酱 (form) and DingTalk (signed URL)."""
    (webhook,) = receiver.requests("webhook")
    # The one next run, read from the webhook's text, is then held to every channel's bytes.
    next_check = re.search("下次检查：([^\"\\\\]*)", webhook["body"])
    check(next_check and re.fullmatch(NEXT_CHECK, next_check.group(1)), "webhook body %r: 下次检查 is no %s"
          % (webhook["body"], NEXT_CHECK))
    text = "\n".join(["账号：" + USER, "本次结果：" + WRONG_PASSWORD, "时间：" + STAMP, "下次检查：" + next_check.group(1)])
    expected = json.dumps({"source": "korvan", "event": "wrong_password", "title": title, "text": text,
                           "user": USER, "vps": "", "expiry": "", "time": STAMP},
                          ensure_ascii=False, separators=(",", ":"))
    check(webhook["body"] == expected, "webhook body %r, expected %r" % (webhook["body"], expected))
    check(dict(webhook["headers"]).get("Content-Type") == "application/json; charset=utf-8",
          "webhook headers %r" % webhook["headers"])

    (serverchan,) = receiver.requests("serverchan")
    # Markdown joins single lines: the description's lines are a paragraph each.
    form = "title=%s&desp=%s" % (form_encode(title), form_encode(text.replace("\n", "\n\n")))
    check(serverchan["body"] == form, "Server酱 body %r, expected %r" % (serverchan["body"], form))
    check(dict(serverchan["headers"]).get("Content-Type") == "application/x-www-form-urlencoded",
          "Server酱 headers %r" % serverchan["headers"])

    (dingtalk,) = receiver.requests("dingtalk")
    digest = hmac.new(DINGTALK_SECRET.encode(), ("%d\n%s" % (SIGNED_MILLISECONDS, DINGTALK_SECRET)).encode(),
                      hashlib.sha256).digest()
    sign = urllib.parse.quote(base64.b64encode(digest).decode(), safe="")
    path = fake_receiver.CHANNEL_PATHS["dingtalk"] + "&timestamp=%d&sign=%s" % (SIGNED_MILLISECONDS, sign)
    check(dingtalk["path"] == path, "DingTalk path %r, expected %r" % (dingtalk["path"], path))
    check(json.loads(dingtalk["body"]) == {"msgtype": "text", "text": {"content": title + "\n" + text}},
          "DingTalk body %r" % dingtalk["body"])


def run_case(wine, args, name, directory):
    scenario, channels, closed, notify, failures, messages, title, pings = CASES[name]
    panel = fake_panel.FakePanel(scenario, args.site_port, args.time_port)
    receiver = fake_receiver.FakeReceiver(args.receiver_port)
    session = None
    try:
        write_files(directory, receiver, channels, closed, notify, failures)
        session = Session(wine, args.korvan, directory)
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")

        def heartbeat_ended():
            return len(receiver.requests("heartbeat")) >= 2 and len(log_entries(session)) >= len(messages)
        check(wait_until(heartbeat_ended, 90, step=0.5),
              "after 90 s: log %r, receiver %r" % (log_entries(session), [r["path"] for r in receiver.requests()]))
        time.sleep(2)  # nothing more may come
        got = [message for _, message in log_entries(session)]
        check(got == messages, "log entries %r, expected %r" % (got, messages))

        pinged = ["%s %s" % (r["method"], r["path"]) for r in receiver.requests("heartbeat")]
        check(pinged == pings, "heartbeat pings %r, expected %r" % (pinged, pings))
        end_body = receiver.requests("heartbeat")[-1]["body"]
        check(end_body == "\n".join(messages[:len(messages) - len(closed)]), "heartbeat body %r" % end_body)

        for channel in CHANNELS:
            got = receiver.requests(channel)
            wanted = 1 if title and channel in channels and channel not in closed else 0
            check(len(got) == wanted, "%s received %d pushes, expected %d" % (channel, len(got), wanted))
            for request in got:
                check(request["method"] == "POST", "%s method %s" % (channel, request["method"]))
                check(title in request["body"] or form_encode(title) in request["body"],
                      "%s body %r lacks the title %r" % (channel, request["body"], title))
        for request in receiver.requests():
            for secret in (fake_panel.PASSWORD, form_encode(fake_panel.PASSWORD)):
                check(secret not in request["body"] and secret not in request["path"],
                      "the password went out in %s" % request["path"])
        if name == "wrong-password":
            check_bytes(receiver, title)
        if args.print_requests:
            lines = []
            for request in receiver.requests():
                lines.append("%s %s\n  %s" % (request["method"], request["path"], request["body"].replace("\n", "\n  ")))
            return "---- the receiver got (%s) ----\n%s\n----" % (name, "\n".join(lines))
        return None
    finally:
        if session:
            session.close()
        receiver.close()
        panel.close()


def main():
    def own_arguments(parser):
        parser.add_argument("--receiver-port", type=int, default=0, help="0: any free port")
        parser.add_argument("--print-requests", action="store_true", help="print what the receiver got in each case")
    args = panel_driver_arguments(CASES, own_arguments)
    if args is None:
        return 2
    wine = Wine(args.wine, args.probe)
    with shared_wineserver(args):
        failures = run_cases(args.cases, lambda name, directory: run_case(wine, args, name, directory),
                             "korvan-alerts-", errors=(Exception,))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
