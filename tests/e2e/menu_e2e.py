#!/usr/bin/env python3
"""End-to-end checks of the main window's system menu commands: korvan.exe under Wine against
tools/fake_panel.py, driven through window_probe.exe ("sys ID" posts the command).

Needs a build whose site and time hosts are the given 127.0.0.1 ports, and WINEPREFIX.
Standard library only.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

import renewal_e2e  # noqa: E402  (puts tools/ on the path for fake_panel)
import fake_panel  # noqa: E402
from korvan_e2e import FORM, Display, panel_driver_arguments, shared_wineserver, Session, Wine, check, run_cases, wait_until  # noqa: E402
from renewal_e2e import (EXPIRY, LOGGED_IN, RENEWED, STAMP, WRONG_PASSWORD, log_entries, run_requests,  # noqa: E402
                         write_ini)

RUN_STATUS, CHECK_NOW, OPEN_RUN_LOG = 0x0110, 0x0120, 0x0130
RUN_STATUS_TITLE = "运行状况"
CHECK_DONE = "检查完成：未提交续期"
RUN_UNDER_WAY = "正在运行续期，请稍后再试"
NO_RUN_LOG = "尚未保存运行记录。请在系统菜单“高级设置…”中勾选“保存运行记录到 korvan.log”。"
THIS_PROCESS = "记录来源：本次启动以来（未开启运行记录）"
CHECK_REQUESTS = [
    ("POST", "/user/usertop_login.asp"),
    ("GET", "/user/vpsadm.asp"),
    ("GET", "/vpsadm/selfvpsmodifyrepay.asp?id=" + fake_panel.VPS_IDS[0]),
]
# The periods of write_ini's korvan.ini (10 and 24 hours), a few minutes after the start at most.
# The one next run first: with the plan off, the N-hour run, by the time page's clock.
NEXT_RUN = r"下次运行：\d+时\d+分（9小时5\d分钟后，定时续期）"
NEXT_RENEWAL = r"下次续费运行：9小时5\d分钟后"
NEXT_RESTART = r"下次重启：23小时5\d分钟后"

# case: (fake panel scenario, delay of every answer in ms, the first run's entries and requests, the
# 运行状况 box's lines (a pattern each; None: no box), the step that follows ("busy" comes while the
# first run is under way, the others after it))
CASES = {
    "good-run": ("success", 0, [LOGGED_IN, EXPIRY, RENEWED], 4,
                 [NEXT_RUN, "上次运行：" + STAMP, "运行结果：" + RENEWED, "上次成功续费：" + STAMP, EXPIRY, "连续失败次数：0",
                  NEXT_RENEWAL, NEXT_RESTART, THIS_PROCESS], "check-now"),
    "failed-run": ("wrong_password", 0, [WRONG_PASSWORD], 1,
                   [NEXT_RUN, "上次运行：" + STAMP, "运行结果：" + WRONG_PASSWORD, "上次成功续费：尚无", "到期时间：尚无",
                    "连续失败次数：1", NEXT_RENEWAL, NEXT_RESTART, THIS_PROCESS], "open-log"),
    "check-while-running": ("success", 2500, [LOGGED_IN, EXPIRY, RENEWED], 4, None, "busy"),
}


def box_of_command(wine, session, command):
    check(wine.run_probe("sys", command)[0] == 0, "window_probe sys %#x failed" % command)
    box = session.message_box()
    wine.run_probe("dismiss")
    check(wait_until(lambda: wine.run_probe("message-box", 0)[0] != 0, 5), "the box did not close")
    return box


def wait_for_run(session, panel, count, entries, seconds=90):
    done = wait_until(lambda: len(run_requests(panel)) >= count and len(log_entries(session)) >= entries,
                      seconds, step=0.5)
    check(done, "after %d s: requests %r, entries %r" % (seconds, [r["path"] for r in run_requests(panel)],
                                                         [m for _, m in log_entries(session)]))
    time.sleep(3)  # nothing more may come


def check_now(wine, session, panel):
    check(wine.run_probe("sys", CHECK_NOW)[0] == 0, "window_probe sys failed")
    wait_for_run(session, panel, 7, 6)
    messages = [m for _, m in log_entries(session)]
    check(messages[3:] == [LOGGED_IN, EXPIRY, CHECK_DONE], "check-now entries %r" % messages[3:])
    sent = [(r["method"], r["path"]) for r in run_requests(panel)]
    check(sent[4:] == CHECK_REQUESTS, "check-now sent %r" % sent[4:])


def open_log_without_file(wine, session, panel):
    box = box_of_command(wine, session, OPEN_RUN_LOG)
    check(NO_RUN_LOG in box["texts"], "open-log box %r" % box)


def check_while_running(wine, session, panel):
    check(wait_until(lambda: run_requests(panel), 60), "the first run sent nothing")
    box = box_of_command(wine, session, CHECK_NOW)
    check(RUN_UNDER_WAY in box["texts"], "check-now during a run showed %r" % box)
    wait_for_run(session, panel, 4, 3)
    check(len(run_requests(panel)) == 4, "requests %r" % [r["path"] for r in run_requests(panel)])
    check(CHECK_DONE not in [m for _, m in log_entries(session)], "a check ran during the run")


FOLLOW_UPS = {"check-now": check_now, "open-log": open_log_without_file, "busy": check_while_running}


def run_case(wine, args, name, directory):
    scenario, delay_ms, entries, request_count, status_lines, follow_up = CASES[name]
    write_ini(directory)
    panel = fake_panel.FakePanel(scenario, args.site_port, args.time_port, delay_ms=delay_ms)
    session = None
    try:
        session = Session(wine, args.korvan, directory)
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        if follow_up == "busy":
            FOLLOW_UPS[follow_up](wine, session, panel)
        wait_for_run(session, panel, request_count, len(entries))
        messages = [m for _, m in log_entries(session)[:len(entries)]]
        check(messages == entries, "first run's entries %r" % messages)
        # The commands leave the form as it was.
        controls = session.controls()
        for control_id, (form_name, left, top, width, height, _) in FORM.items():
            got = (controls[control_id]["left"], controls[control_id]["top"], controls[control_id]["width"],
                   controls[control_id]["height"])
            check(got == (left, top, width, height), "%s at %r" % (form_name, got))
        if status_lines:
            box = box_of_command(wine, session, RUN_STATUS)
            check(box["caption"] == RUN_STATUS_TITLE, "status caption %r" % box["caption"])
            lines = [text for text in box["texts"] if "\r\n" in text][0].split("\r\n")
            check(len(lines) == len(status_lines) and all(re.fullmatch(p, l) for p, l in zip(status_lines, lines)),
                  "status lines %r" % lines)
        if follow_up != "busy":
            FOLLOW_UPS[follow_up](wine, session, panel)
        check(not (session.directory / "korvan.log").exists(), "korvan.log written with the record off")
    finally:
        if session:
            session.close()
        panel.close()


def main():
    args = panel_driver_arguments(CASES)
    if args is None:
        return 2
    wine = Wine(args.wine, args.probe)
    with shared_wineserver(args):
        failures = run_cases(args.cases, lambda name, directory: run_case(wine, args, name, directory),
                             "korvan-menu-", errors=(Exception,))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
