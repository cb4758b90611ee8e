#!/usr/bin/env python3
"""End-to-end checks of "renew on time" (高级设置 deadline=1, history=1): korvan.exe under Wine against
tools/fake_panel.py, whose time page gives the real clock and whose expiry is set relative to it.

  window-ahead  the window opens in 31 minutes: the first run logs "续期窗口：<opening> 开放，<opening
                + 5 min> 续期", and about 2 minutes later the planned check run comes (login, VPS
                list, renewal page; no renewal form).
  retry         the window is open and the first renewal answer is unknown: the run logs "续期未成功，
                <2 minutes later> 重试", 运行状况 names the retry first, and the planned retry renews
                ("续费成功！").
  switched-on   the plan off for the first run; switched on in the 高级设置 dialog, 确定 starts a check
                at once, which makes the plan.
Each case takes some 2.5 minutes, so they run side by side, each as its own user of the panel with
its own scenario and expiry; the waits are bounded. Standard library only; needs WINEPREFIX.
"""
import calendar
import concurrent.futures
import json
import os
import pathlib
import re
import sys
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent.parent / "tools"))

import fake_panel  # noqa: E402
import fake_receiver  # noqa: E402
from korvan_e2e import (Session, Wine, check, panel_driver_arguments, shared_wineserver, take_screenshot,  # noqa: E402
                        wait_until)
from proof_e2e import status_keys, write_settings  # noqa: E402
from renewal_e2e import ONE_DAY, RENEWED, log_entries  # noqa: E402

CHECK_DONE = "检查完成：未提交续期"
RUN_STATUS = 0x0110  # the system menu's 运行状况…
ADVANCED_SETTINGS = 0x0140  # and its 高级设置…
SETTINGS_SAVED = "高级设置已保存，下次运行起生效，无需重启"
DAY = 24 * 3600
UTC8 = 8 * 3600
# The planned run comes 2 minutes after the run that planned it, and the window's check looks every 30 s.
PLANNED_WAIT = 120 + 30 + 40
RUN_PATHS = ["/user/usertop_login.asp", "/user/vpsadm.asp", "/vpsadm/selfvpsmodifyrepay.asp",
             "/vpsadm/selfvpsmodifyendtime.asp"]


def provider_seconds(text):
    """Unix seconds of a UTC+8 date-time written as the log writes it (trailing zero fields may be left out)."""
    numbers = [int(n) for n in re.findall(r"\d+", text)]
    check(3 <= len(numbers) <= 6, "no date-time in %r" % text)
    numbers += [0] * (6 - len(numbers))
    return calendar.timegm(tuple(numbers) + (0, 0, 0)) - UTC8


def panel_text(seconds):
    return time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(seconds + UTC8))


def messages(session):
    return [message for _, message in log_entries(session)]


def wait_messages(session, count, seconds):
    check(wait_until(lambda: len(messages(session)) >= count, seconds, step=1),
          "log after %d s: %r" % (seconds, messages(session)))
    time.sleep(2)
    return messages(session)


def paths(panel, user):
    return [r["path"].split("?")[0] for r in panel.requests() if r.get("user") == user]


def check_status_label(session, text):
    """Once the run is over the status label reads text, its dot blinking as 监控运行中's does."""
    shown = {text + " ●", text + " ○"}
    check(wait_until(lambda: session.status_samples(1, 0)[0] in shown, 15, step=0.5),
          "status label %r, expected %r" % (session.status_samples(1, 0), text))
    samples = session.status_samples(8, 0.3)
    check(set(samples) == shown, "status label %r" % samples)


# Where the retry case saves pictures of the window and 运行状况 for a reader, if anywhere.
SCREENSHOTS = os.environ.get("KORVAN_PLAN_SCREENSHOTS")


def screenshot(wine, command, name):
    if SCREENSHOTS:
        _, found = wine.run_probe(command, *([5000] if command == "dialog" else []))
        if found:
            take_screenshot(found[0], pathlib.Path(SCREENSHOTS) / name)


def run_status_lines(wine, session, picture=None):
    """The lines of the 运行状况 box, opened from the system menu and closed again."""
    check(wine.run_probe("sys", RUN_STATUS)[0] == 0, "window_probe sys %#x failed" % RUN_STATUS)
    box = session.message_box()
    if picture:
        screenshot(wine, "dialog", picture)
    wine.run_probe("dismiss")
    check(wait_until(lambda: wine.run_probe("message-box", 0)[0] != 0, 5), "the 运行状况 box did not close")
    return [text for text in box["texts"] if "\r\n" in text][0].split("\r\n")


def case_window_ahead(wine, args, directory, panel, user):
    logged_in = user + " 登录成功！"
    expiry = panel.set_expiry_minutes(24 * 60 + 31, user)
    opens = expiry - DAY
    session = Session(wine, args.korvan, directory)
    try:
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        first = [logged_in, "到期时间：" + panel_text(expiry), ONE_DAY]
        log = wait_messages(session, len(first) + 1, 60)
        check(log[:3] == first, "first run %r" % log)
        match = re.fullmatch(r"续期窗口：(.+) 开放，(.+) 续期", log[3])
        check(match is not None, "plan entry %r" % log[3])
        check(provider_seconds(match.group(1)) == opens, "window opens %r, expected %s" % (match.group(1), opens))
        check(provider_seconds(match.group(2)) == opens + 300, "first renewal %r" % match.group(2))
        keys = status_keys(directory)
        check(provider_seconds(keys.get("windowOpens", "")) == opens and keys.get("attempts") == "0",
              "korvan-status.ini %r" % keys)
        planned = provider_seconds(keys.get("nextRun", ""))
        check(0 < planned - time.time() <= 125, "the check is planned for %s, %d s from now" % (
            keys.get("nextRun"), planned - time.time()))
        check(paths(panel, user) == RUN_PATHS, "first run's requests %r" % paths(panel, user))
        # Nothing before the planned time; then the check, which never posts the renewal form.
        time.sleep(max(0, planned - time.time() - 5))
        check(len(paths(panel, user)) == 4, "a run before the planned time: %r" % paths(panel, user))
        log = wait_messages(session, 6, PLANNED_WAIT)
        check(log[4:6] == [logged_in, "到期时间：" + panel_text(expiry)], "check run %r" % log[4:])
        check(wait_until(lambda: len(paths(panel, user)) >= 7, 30, step=1), "check run's requests %r" % paths(panel, user))
        time.sleep(3)
        check(paths(panel, user) == RUN_PATHS + RUN_PATHS[:3], "requests %r" % paths(panel, user))
        check(CHECK_DONE in messages(session)[4:], "check run entries %r" % messages(session)[4:])
    finally:
        session.close()


def case_retry(wine, args, directory, panel, user):
    logged_in = user + " 登录成功！"
    expiry = panel.set_expiry_minutes(12 * 60, user)
    opens = expiry - DAY
    # The window is known from an earlier run, so this run's failure is a retry, not a new plan.
    status = "[运行状态]\r\nwindowOpens=%s\r\nattempts=0\r\n" % panel_text(opens)
    (pathlib.Path(directory) / "korvan-status.ini").write_bytes(status.encode("gbk"))
    receiver = fake_receiver.FakeReceiver()
    write_settings(directory, user, deadline="1", history="1", webhook=receiver.url("webhook"))
    session = Session(wine, args.korvan, directory)
    try:
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        started = time.time()
        # With the plan on, the retry entry stands in for the unknown verdict's.
        first = [logged_in, "到期时间：" + panel_text(expiry)]
        log = wait_messages(session, len(first) + 1, 60)
        check(log[:2] == first, "first run %r" % log)
        match = re.fullmatch(r"续期未成功，(.+) 重试", log[2])
        check(match is not None, "retry entry %r" % log[2])
        retry = provider_seconds(match.group(1))
        # The network time is cut to whole seconds, so the plan's "now" may read up to a second early.
        check(118 <= retry - started <= 120 + 60, "retry at %r, %d s after the start" % (match.group(1),
                                                                                         retry - started))
        keys = status_keys(directory)
        check(keys.get("attempts") == "1" and provider_seconds(keys.get("nextRun", "")) == retry,
              "korvan-status.ini %r" % keys)
        clock = time.gmtime(retry + UTC8)
        check_status_label(session, "续期未成功，%d:%02d重试" % (clock.tm_hour, clock.tm_min))
        screenshot(wine, "window", "label-retry.png")
        # 运行状况 and the failure push name the retry first, as the one next run; the plan's detail
        # line stays below.
        next_run = r"%d时%d分（(不到1|[12])分钟后，按时续期重试）" % (clock.tm_hour, clock.tm_min)
        lines = run_status_lines(wine, session, "run-status-retry.png")
        check(re.fullmatch("下次运行：" + next_run, lines[0])
              and "下次计划运行：%s（续期）" % match.group(1) in lines, "运行状况 %r" % lines)
        check(wait_until(lambda: receiver.requests("webhook"), 30), "no failure push")
        pushed = json.loads(receiver.requests("webhook")[0]["body"])["text"]
        check(re.search("下次检查：" + next_run + "$", pushed), "the failure push says %r" % pushed)
        if SCREENSHOTS:
            (pathlib.Path(SCREENSHOTS) / "push-retry.txt").write_text(pushed + "\n")
        log = wait_messages(session, 6, PLANNED_WAIT)
        check(log[3:6] == [logged_in, "到期时间：" + panel_text(expiry), RENEWED], "retry run %r" % log[3:])
        check(time.time() >= retry - 2, "the retry came before its time")
        check(paths(panel, user) == RUN_PATHS * 2, "requests %r" % paths(panel, user))
        # Renewed: the window is done, no more planned runs for it.
        keys = status_keys(directory)
        check(keys.get("nextRun", "") == "" and keys.get("attempts") == "0", "korvan-status.ini after %r" % keys)
        check_status_label(session, "监控运行中")
    finally:
        session.close()
        receiver.close()


def case_switched_on(wine, args, directory, panel, user):
    logged_in = user + " 登录成功！"
    expiry = panel.set_expiry_minutes(24 * 60 + 40, user)
    write_settings(directory, user, deadline="0", history="1")
    session = Session(wine, args.korvan, directory)
    try:
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        first = [logged_in, "到期时间：" + panel_text(expiry), ONE_DAY]
        log = wait_messages(session, len(first), 60)
        check(log == first, "first run %r" % log)
        lines = run_status_lines(wine, session)
        check(re.fullmatch(r"下次运行：\d+时\d+分（9小时5\d分钟后，定时续期）", lines[0]), "运行状况 %r" % lines)
        # Switched on by hand in korvan.ini, with no expiry read for the plan: the plan line says why.
        write_settings(directory, user, deadline="1", history="1")
        lines = run_status_lines(wine, session)
        check("下次计划运行：未安排（读到到期时间后安排，可点“立即检查”）" in lines, "运行状况 %r" % lines)
        write_settings(directory, user, deadline="0", history="1")
        # Switched on in the dialog: 确定 starts a check at once, which makes the plan.
        check(wine.run_probe("sys", ADVANCED_SETTINGS)[0] == 0, "window_probe sys %#x failed" % ADVANCED_SETTINGS)
        code, controls = wine.run_probe("dialog", 10000)
        check(code == 0, "the 高级设置 dialog did not open")
        boxes = [c["id"] for c in controls[1:] if c["text"].startswith("到期前按时续期并重试")]
        check(boxes, "no 按时续期 box among %r" % [c["text"] for c in controls[1:]])
        check(wine.run_probe("dialog-click", boxes[0])[0] == 0 and wine.run_probe("dialog-click", 1)[0] == 0,
              "window_probe dialog-click failed")
        log = wait_messages(session, len(first) + 5, 60)
        check(log[3:7] == [SETTINGS_SAVED, logged_in, "到期时间：" + panel_text(expiry), CHECK_DONE]
              and log[7].startswith("续期窗口："), "after 确定 %r" % log[3:])
        check(paths(panel, user) == RUN_PATHS + RUN_PATHS[:3], "requests %r" % paths(panel, user))
        # The plan's check, 30 minutes before the window opens, is now the next run.
        lines = run_status_lines(wine, session)
        check(re.fullmatch(r"下次运行：\d+时\d+分（(9|10)分钟后，检查）", lines[0]), "运行状况 %r" % lines)
    finally:
        session.close()


# case: (fake panel scenario, check)
CASES = {
    "window-ahead": ("renewal_refused", case_window_ahead),
    "retry": ("fails_once", case_retry),
    "switched-on": ("renewal_refused", case_switched_on),
}


def main():
    args = panel_driver_arguments(CASES)
    if args is None:
        return 2
    users = {name: "plan-" + name for name in args.cases}
    failures = []

    def run(name):
        scenario, check_case = CASES[name]
        user = users[name]
        started = time.monotonic()
        with tempfile.TemporaryDirectory(prefix="korvan-plan-") as directory:
            own_window = "\\%s\\korvan.exe" % pathlib.Path(directory).name
            wine = Wine(args.wine, args.probe, dict(os.environ, KORVAN_PROBE_EXE=own_window))
            write_settings(directory, user, deadline="1", history="1")
            panel.set_user_scenario(user, scenario)
            try:
                check_case(wine, args, directory, panel, user)
                print("ok   %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
            except Exception as failure:  # a hung Wine or probe counts as this case's failure
                failures.append(name)
                print("FAIL %s (%.1f s): %s" % (name, time.monotonic() - started, failure), flush=True)

    with fake_panel.FakePanel("success", args.site_port, args.time_port, time_ms=None,
                              users=list(users.values())) as panel:
        with shared_wineserver(args):
            with concurrent.futures.ThreadPoolExecutor(len(args.cases) or 1) as pool:
                list(pool.map(run, args.cases))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
