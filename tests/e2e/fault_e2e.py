#!/usr/bin/env python3
"""End-to-end table of broken exchanges: korvan.exe under Wine against tools/fake_panel.py, whose
answers break at one step of the run (or at the time page) in one of its fault modes per case.

korvan.exe must be built with its site and time hosts at 127.0.0.1 ports; the fake panel serves on
exactly those. Each case starts a fresh korvan.exe in its own directory, with the case's name as
the user name so that one panel can tell side-by-side cases apart, and checks
  - the log entries: exactly those of an empty answer at the broken step (for the time page, those
    of a good run, stamped by the computer's clock),
  - the time the run took: no more than the broken exchanges' time-outs and a margin allow (and a
    silent server was waited for that long),
  - that one tick of the renewal timer starts the next run once the broken one is over (a tick
    during the run is kept, never lost and never doubled), that the next run goes through, and that after the server has let go
    of every broken connection the process still runs and the window answers.
Panel cases run side by side (--jobs); time page cases run one at a time, since the time page cannot
tell its callers apart. Standard library only; needs WINEPREFIX; DISPLAY or an own Xvfb.
"""
import argparse
import concurrent.futures
import datetime
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent.parent / "tools"))

import fake_panel  # noqa: E402
from korvan_e2e import Display, panel_driver_arguments, shared_wineserver, Session, Wine, check, wait_until  # noqa: E402
from renewal_e2e import EXPIRY, NO_VPS, RENEWED, STAMP, log_entries, write_ini  # noqa: E402

RENEW_TIMER = 1007  # 时钟1: the first control id, 1001, and its place in the form
TIMEOUT = 15        # seconds: the request's and the time page's time-out, which the job leaves as is
# After this long an exchange is abandoned: a panel request gets the time-out for each of its four
# phases, the time page the time-out once; and a margin each.
PANEL_GIVE_UP = 4 * TIMEOUT + 2
TIME_PAGE_GIVE_UP = TIMEOUT + 2
SLACK = 12          # seconds for the rest of a run and for a busy machine
EXPIRY_ALONE = "到期时间："

# Broken step: (entries of the run, panel requests it makes, exchanges it breaks).
STEPS = {
    "login": (["{user} 登录失败！"], 1, 1),
    "vps_list": (["{user} 登录成功！", NO_VPS], 2, 1),
    "renewal_page": (["{user} 登录成功！", EXPIRY_ALONE, RENEWED], 4, 1),
    "renewal": (["{user} 登录成功！", EXPIRY], 4, 1),
    "time": (["{user} 登录成功！", EXPIRY, RENEWED], 4, 3),
}
GOOD_RUN = ["{user} 登录成功！", EXPIRY, RENEWED]
# Modes after which nothing comes back: the exchange ends by its own time-out or ours.
WAITING_MODES = {"header_reset", "silent"}

# Each fault mode once at a step of the panel, each at another step, and each at the time page. What
# an empty answer at each step logs is the engine's and is checked natively (renew_free_vps_test);
# here the platform's request meets the broken exchange.
PANEL_STEPS = [step for step in STEPS if step != "time"]
CASES = (["%s.%s" % (PANEL_STEPS[index % len(PANEL_STEPS)], mode) for index, mode in enumerate(fake_panel.FAULT_MODES)]
         + ["time.%s" % mode for mode in fake_panel.FAULT_MODES])
ALL_CASES = ["%s.%s" % (step, mode) for step in STEPS for mode in fake_panel.FAULT_MODES]
STAMP_PATTERN = re.compile(r"(\d+)年(\d+)月(\d+)日(?:(\d+)时(?:(\d+)分(?:(\d+)秒)?)?)?")


def clock_stamp_seconds_off(stamp):
    """How far a stamp lies from the computer's clock in UTC+8, in seconds (None: no stamp)."""
    match = STAMP_PATTERN.fullmatch(stamp)
    if not match:
        return None
    parts = [int(part or 0) for part in match.groups()]
    shown = datetime.datetime(*parts)
    now = datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None) + datetime.timedelta(hours=8)
    return abs((now - shown).total_seconds())


def run_requests(panel, user):
    return [r for r in panel.requests() if r.get("user") == user]


def run_case(args, panel, name, directory):
    step, mode = name.split(".")
    user = name.replace(".", "-")
    expected, request_count, broken_count = STEPS[step]
    expected = [entry.format(user=user) for entry in expected]
    waits = mode in WAITING_MODES
    broken_user = None if step == "time" else user
    own_window = "\\%s\\korvan.exe" % pathlib.Path(directory).name
    wine = Wine(args.wine, args.probe, dict(os.environ, KORVAN_PROBE_EXE=own_window))
    write_ini(directory, user)
    panel.set_fault(step, mode, broken_user)
    session = None
    try:
        session = Session(wine, args.korvan, directory)
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        give_up = TIME_PAGE_GIVE_UP if step == "time" else PANEL_GIVE_UP
        allowed = broken_count * (give_up if waits else 3) + SLACK
        check(wait_until(lambda: run_requests(panel, user), 60), "the configured start sent no login")

        def logins():
            return [r["at"] for r in run_requests(panel, user) if r["path"] == "/user/usertop_login.asp"]
        started = logins()[0]
        over = wait_until(lambda: len(log_entries(session)) >= len(expected)
                          and len(run_requests(panel, user)) >= request_count, allowed + 5, step=0.5)
        check(over, "run not over after %.0f s: entries %r"
              % (time.monotonic() - started, [m for _, m in log_entries(session)]))

        # One tick of the renewal timer starts the next run: at once when the broken one is over, or
        # kept until it is (one at most). The panel is mended for that next run.
        panel.set_fault(step, None, broken_user)
        wine.run_probe("tick", RENEW_TIMER)
        check(wait_until(lambda: len(logins()) > 1, max(started + allowed + 5 - time.monotonic(), 10), step=0.5),
              "the tick started no next run within %.0f s" % (time.monotonic() - started))
        took = logins()[1] - started
        check(took <= allowed, "the run took %.1f s, more than %d s" % (took, allowed))
        if mode == "silent":
            check(took >= broken_count * TIMEOUT - 1, "the run took %.1f s: a silent server was not waited for" % took)

        # The server lets go of the broken connections (a silent one only well past the time-out):
        # the abandoned exchanges must take that quietly, too.
        hold = fake_panel.TIME_PAGE_SILENT_SECONDS if step == "time" else fake_panel.SILENT_SECONDS
        check(wait_until(lambda: len(panel.broken(broken_user)) >= broken_count, hold + 15),
              "the server broke %d exchanges, not %d" % (len(panel.broken(broken_user)), broken_count))
        time.sleep(2)
        session.check_running()
        answered = time.monotonic()
        code = wine.run_probe("controls")[0]
        check(code == 0, session.not_answering(code))
        check(time.monotonic() - answered < 10, "the window took %.0f s to answer" % (time.monotonic() - answered))

        # Both runs' entries, one after the other and nothing else: the broken run's are those of an
        # empty answer, the next run's those of a good one.
        good = [entry.format(user=user) for entry in GOOD_RUN]
        wait_until(lambda: len(log_entries(session)) >= len(expected) + len(good), 30, step=0.5)
        time.sleep(3)  # nothing more may come: the time of one time-page request
        entries = log_entries(session)
        check([message for _, message in entries] == expected + good, "log entries %r, expected %r then %r"
              % ([m for _, m in entries], expected, good))
        check(len(run_requests(panel, user)) == request_count + 4, "the panel received %r"
              % [r["path"] for r in run_requests(panel, user)])
        for index, (stamp, _) in enumerate(entries):
            if step == "time" and index < len(expected):
                off = clock_stamp_seconds_off(stamp)
                check(off is not None and off < 300, "stamp %r is not the computer's clock" % stamp)
            else:
                check(stamp == STAMP, "stamp %r" % stamp)
        session.check_running()
        return "run %.1f s" % took
    finally:
        panel.set_fault(step, None, broken_user)
        if session:
            session.close()


def main():
    def own_arguments(parser):
        # More Wine processes than cores starve the window probe's 30 s guard on a small machine.
        parser.add_argument("--jobs", type=int, default=min(4, os.cpu_count() or 1), help="panel cases run side by side")

    args = panel_driver_arguments(CASES, own_arguments)
    if args is None:
        return 2
    unknown = [name for name in args.cases if name not in ALL_CASES]
    if unknown:
        print("unknown cases %r" % unknown, file=sys.stderr)
        return 2

    users = [name.replace(".", "-") for name in args.cases]
    panel = fake_panel.FakePanel("success", args.site_port, args.time_port, users=users)
    printing = threading.Lock()
    failures = []

    def run(name):
        with tempfile.TemporaryDirectory(prefix="korvan-fault-") as directory:
            started = time.monotonic()
            try:
                note = run_case(args, panel, name, directory)
                line = "ok   %s (%.1f s; %s)" % (name, time.monotonic() - started, note)
            except Exception as failure:  # a hung Wine or probe counts as this case's failure
                failures.append(name)
                line = "FAIL %s (%.1f s): %s" % (name, time.monotonic() - started, failure)
        with printing:
            print(line, flush=True)

    try:
        with shared_wineserver(args):
            began = time.monotonic()
            panel_cases = [name for name in args.cases if not name.startswith("time.")]
            with concurrent.futures.ThreadPoolExecutor(max(1, args.jobs)) as pool:
                list(pool.map(run, panel_cases))
            for name in args.cases:
                if name.startswith("time."):
                    run(name)
            print("%d cases in %.0f s, %d failed" % (len(args.cases), time.monotonic() - began, len(failures)))
    finally:
        panel.close()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
