#!/usr/bin/env python3
"""End-to-end checks of "renew on time" (高级设置 deadline=1, history=1): korvan.exe under Wine against
tools/fake_panel.py, whose time page gives the real clock and whose expiry is set relative to it.

  window-ahead  the window opens in 31 minutes: the first run logs "续期窗口：<opening> 开放，<opening
                + 5 min> 续期", and about 2 minutes later the planned check run comes (login, VPS
                list, renewal page; no renewal form).
  retry         the window is open and the first renewal answer is unknown: the run logs "续期未成功，
                <2 minutes later> 重试", and the planned retry renews ("续费成功！").
Each case takes some 2.5 minutes; the waits are bounded. Standard library only; needs WINEPREFIX.
"""
import calendar
import pathlib
import re
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent.parent / "tools"))

import fake_panel  # noqa: E402
from korvan_e2e import Failure, Session, Wine, check, panel_driver_arguments, run_cases, shared_wineserver, wait_until  # noqa: E402
from proof_e2e import status_keys, write_settings  # noqa: E402
from renewal_e2e import LOGGED_IN, ONE_DAY, RENEWED, log_entries, run_requests  # noqa: E402

CHECK_DONE = "检查完成：未提交续期"
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


def paths(panel):
    return [r["path"].split("?")[0] for r in run_requests(panel)]


def check_status_label(session, text):
    """Once the run is over the status label reads text, its dot blinking as 监控运行中's does."""
    shown = {text + " ●", text + " ○"}
    check(wait_until(lambda: session.status_samples(1, 0)[0] in shown, 15, step=0.5),
          "status label %r, expected %r" % (session.status_samples(1, 0), text))
    samples = session.status_samples(8, 0.3)
    check(set(samples) == shown, "status label %r" % samples)


def case_window_ahead(wine, args, directory, panel):
    expiry = panel.set_expiry_minutes(24 * 60 + 31)
    opens = expiry - DAY
    session = Session(wine, args.korvan, directory)
    try:
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        first = [LOGGED_IN, "到期时间：" + panel_text(expiry), ONE_DAY]
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
        check(paths(panel) == RUN_PATHS, "first run's requests %r" % paths(panel))
        # Nothing before the planned time; then the check, which never posts the renewal form.
        time.sleep(max(0, planned - time.time() - 5))
        check(len(paths(panel)) == 4, "a run before the planned time: %r" % paths(panel))
        log = wait_messages(session, 6, PLANNED_WAIT)
        check(log[4:6] == [LOGGED_IN, "到期时间：" + panel_text(expiry)], "check run %r" % log[4:])
        check(wait_until(lambda: len(paths(panel)) >= 7, 30, step=1), "check run's requests %r" % paths(panel))
        time.sleep(3)
        check(paths(panel) == RUN_PATHS + RUN_PATHS[:3], "requests %r" % paths(panel))
        check(CHECK_DONE in messages(session)[4:], "check run entries %r" % messages(session)[4:])
    finally:
        session.close()


def case_retry(wine, args, directory, panel):
    expiry = panel.set_expiry_minutes(12 * 60)
    opens = expiry - DAY
    # The window is known from an earlier run, so this run's failure is a retry, not a new plan.
    status = "[运行状态]\r\nwindowOpens=%s\r\nattempts=0\r\n" % panel_text(opens)
    (pathlib.Path(directory) / "korvan-status.ini").write_bytes(status.encode("gbk"))
    session = Session(wine, args.korvan, directory)
    try:
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        started = time.time()
        # With the plan on, the retry entry stands in for the unknown verdict's.
        first = [LOGGED_IN, "到期时间：" + panel_text(expiry)]
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
        log = wait_messages(session, 6, PLANNED_WAIT)
        check(log[3:6] == [LOGGED_IN, "到期时间：" + panel_text(expiry), RENEWED], "retry run %r" % log[3:])
        check(time.time() >= retry - 2, "the retry came before its time")
        check(paths(panel) == RUN_PATHS * 2, "requests %r" % paths(panel))
        # Renewed: the window is done, no more planned runs for it.
        keys = status_keys(directory)
        check(keys.get("nextRun", "") == "" and keys.get("attempts") == "0", "korvan-status.ini after %r" % keys)
        check_status_label(session, "监控运行中")
    finally:
        session.close()


# case: (fake panel scenario, check)
CASES = {
    "window-ahead": ("renewal_refused", case_window_ahead),
    "retry": ("fails_once", case_retry),
}


def main():
    args = panel_driver_arguments(CASES)
    if args is None:
        return 2
    wine = Wine(args.wine, args.probe)

    def run(name, directory):
        scenario, check_case = CASES[name]
        write_settings(directory, deadline="1", history="1")
        with fake_panel.FakePanel(scenario, args.site_port, args.time_port, time_ms=None) as panel:
            check_case(wine, args, directory, panel)

    with shared_wineserver(args):
        failures = run_cases(args.cases, run, "korvan-plan-", errors=(Failure, Exception))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
