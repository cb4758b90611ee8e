#!/usr/bin/env python3
"""korvan for Linux against tools/fake_panel.py and tools/fake_receiver.py on 127.0.0.1, held to the
expectations of the Windows program's end-to-end tests (renewal_e2e, fault_e2e, alerts_e2e). The
program must be built with its site and time hosts at these ports.

  cli_e2e.py --korvan PATH --site-port N --time-port N [GROUP ...]
"""
import argparse
import concurrent.futures
import fcntl
import json
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "tools"))

import alerts_e2e  # noqa: E402
import fake_panel  # noqa: E402
import fake_receiver  # noqa: E402
import fault_e2e  # noqa: E402
from korvan_e2e import check, wait_until  # noqa: E402
from renewal_e2e import (EXPIRY, LOGGED_IN, LOGIN_FAILED, NO_VPS, ONE_DAY, RENEWED, STAMP, USER,  # noqa: E402
                         WRONG_PASSWORD, check_recorded_success)

CHECK_DONE = "检查完成：未提交续期"
UNCHANGED = "警告：续费后到期时间未变化，请登录面板核实"
MOVED = "到期时间已更新：%s → %s" % (fake_panel.EXPIRY, fake_panel.EXPIRY_MOVED_FORMAT % 7)
CHINESE_USER = "测试用户"
FAULT_USERS = ["f-%s-%s" % (step, mode) for step in fault_e2e.STEPS if step != "time" for mode in fake_panel.FAULT_MODES]
USERS = [CHINESE_USER, "sig", *FAULT_USERS]

# name: (panel scenario, command, extra 高级设置 lines, messages, exit status)
OUTCOMES = {
    "success": ("success", "run", ["history=1"], [LOGGED_IN, EXPIRY, RENEWED], 0),
    "check": ("success", "check", [], [LOGGED_IN, EXPIRY, CHECK_DONE], 0),
    "wrong-password": ("wrong_password", "run", [], [WRONG_PASSWORD], 2),
    "login-500": ("login_500", "run", [], [LOGIN_FAILED], 1),
    "no-vps": ("no_vps", "run", [], [LOGGED_IN, NO_VPS], 1),
    "renewal-refused": ("renewal_refused", "run", [], [LOGGED_IN, EXPIRY, ONE_DAY], 0),
    "unknown-verdict": ("unknown_verdict", "run", [], [LOGGED_IN, EXPIRY], 1),
    "expiry-kept": ("expiry_kept", "run", ["verify=1"], [LOGGED_IN, EXPIRY, RENEWED, UNCHANGED], 1),
    "expiry-moves": ("expiry_moves", "run", ["verify=1"], [LOGGED_IN, EXPIRY, RENEWED, MOVED], 0),
    "garbage": ("garbage", "run", [], [LOGIN_FAILED], 1),
}
# A run of each broken step ends as one given an empty answer there (fault_e2e.STEPS).
FAULT_EXIT = {"login": 1, "vps_list": 1, "renewal_page": 0, "renewal": 1}


def ini_text(user=USER, extra=()):
    # The cases compare the Windows program's runs, whose plan is off unless deadline=1; on Linux it
    # is on unless deadline=0.
    deadline = [] if any(line.startswith("deadline=") for line in extra) else ["deadline=0"]
    return "\r\n".join(["[登录配置]", "user=" + user, "pass=" + fake_panel.PASSWORD, "[监控续费时间]", "time=10",
                        "[重启软件时间]", "time=24", "[高级设置]", *deadline, *extra]) + "\r\n"


def fresh(scratch, name):
    (scratch / name).mkdir()
    return scratch / name


def account(scratch, name, user=USER, extra=(), encoding="gbk"):
    """A case's own folder holding its korvan.ini; the korvan.ini's path."""
    config = fresh(scratch, name) / "korvan.ini"
    config.write_bytes(ini_text(user, extra).encode(encoding))
    return config


class Result:
    def __init__(self, done, seconds):
        self.code, self.seconds = done.returncode, seconds
        self.out, self.err = done.stdout.decode(), done.stderr.decode()
        lines = self.out.split("\n")[:-1]
        self.entries = list(zip(lines[0::2], lines[1::2]))
        self.messages = [message for _, message in self.entries]


def program_argument(args, value):
    """Under Wine a path is given as the Windows program sees it, on the drive Z: that is the root."""
    text = str(value)
    if args.wine and (isinstance(value, pathlib.Path) or text.startswith("/")):
        return "Z:" + text.replace("/", "\\")
    return text


def command(args, *argv):
    program = [args.wine, args.korvan] if args.wine else [args.korvan]
    return [*program, *(program_argument(args, value) for value in argv)]


def korvan(args, *argv, timeout=60):
    started = time.monotonic()
    done = subprocess.run(command(args, *argv), capture_output=True, timeout=timeout)
    return Result(done, time.monotonic() - started)


def check_run(result, messages, code, panel=None, stamps=True):
    check(result.code == code, "exit status %d, expected %d; stderr %r" % (result.code, code, result.err))
    check(result.messages == messages, "entries %r, expected %r" % (result.messages, messages))
    if stamps:
        check(all(stamp == STAMP for stamp, _ in result.entries), "stamps %r" % result.entries)
    if panel:
        check(len(panel.requests("time")) == len(messages), "%d time pages for %d entries"
              % (len(panel.requests("time")), len(messages)))


def check_request_bytes(panel, args, result, folder):
    """What the Windows program's tests expect, and not one header line of libcurl's own."""
    requests = panel.requests()
    check_recorded_success(requests, "127.0.0.1:%d" % args.site_port)
    ours = ["Referer", "Accept", "Accept-Language", "User-Agent", "Content-Type"]
    for index, request in enumerate(requests):
        expected = ["Host"] + (["Cookie"] if index else []) + ours + (["Content-Length"] if index in (0, 3) else [])
        # Under Wine the request object's own order and lines, as the window program's tests hold them.
        check(args.wine or [name for name, _ in request["headers"]] == expected,
              "%s header lines %r" % (request["path"], request["headers"]))
    for request in panel.requests("time"):
        check(request["headers"] == [("Host", "127.0.0.1:%d" % args.time_port), ("User-Agent",
              "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"), ("Accept", "*/*")], "time page %r" % request)
    check(result.err == "", "a good run said %r" % result.err)
    log = "".join("%s\r\n%s\r\n" % entry for entry in result.entries)
    check((folder / "korvan.log").read_bytes() == b"\xEF\xBB\xBF" + log.encode(), "korvan.log differs")
    shown = korvan(args, "status", "--config", folder / "korvan.ini")
    check(re.fullmatch("下次运行：\\d+时\\d+分（(10小时0|9小时59)分钟后，定时续期）\n"
                       "上次运行：%s\n运行结果：续费成功！\n上次成功续费：%s\n%s\n连续失败次数：0\n"
                       "下次续费运行：(10小时0|9小时59)分钟后\n记录来源：korvan-status.ini\n按时续期：已关闭（deadline=%s）\n%s"
                       % (STAMP, STAMP, EXPIRY, "1 开启" if args.wine else "0",
                          "任务计划程序：没有为这个 korvan.ini 登记任务[^\n]*\n" if args.wine else ""), shown.out) and shown.code == 0, "status %r" % shown.out)


def group_outcomes(args, panel, scratch):
    for name, (scenario, command, extra, messages, code) in OUTCOMES.items():
        panel.reset()
        panel.set_scenario(scenario)
        config = account(scratch, name, extra=extra)
        result = korvan(args, command, "--config", config)
        check_run(result, messages, code, panel)
        if name == "success":
            check_request_bytes(panel, args, result, config.parent)
        yield name
    # Nothing listens on the site port.
    panel.close()
    with fake_panel.FakePanel(panel_port=args.site_port, time_port=args.time_port, no_panel=True):
        check_run(korvan(args, "run", "--config", account(scratch, "refused")), [LOGIN_FAILED], 1)
    yield "refused"


# Every command on a korvan.ini saved by a Linux editor (UTF-8 without a byte order mark), in one
# folder in this order; command: (exit status, its entries, or a pattern its whole output matches).
UTF8_COMMANDS = {
    "tick": (0, [CHINESE_USER + " 登录成功！", EXPIRY, RENEWED]),
    "run": (0, [CHINESE_USER + " 登录成功！", EXPIRY, RENEWED]),
    "check": (0, [CHINESE_USER + " 登录成功！", EXPIRY, CHECK_DONE]),
    # history=1 and 监控时间 read: the record's file, and 10 hours to the next run rather than 1
    "status": (0, "(?s).*运行结果：检查完成：未提交续期\n.*下次续费运行：(10小时0|9小时59)分钟后\n.*"
                  "记录来源：korvan-status.ini\n.*"),
    "test-push": (0, "[^\n]*：成功\n"),
}
# Section names no reading finds (登陆 for 登录 is a common slip): every command says so and stops.
NO_KNOWN_SECTION = "[登陆配置]\nuser=%s\npass=%s\n[监控时间]\ntime=10\n" % (USER, fake_panel.PASSWORD)


def group_encodings(args, panel, scratch):
    panel.set_scenario("success")
    for encoding in ("gbk", "utf-8-sig", "utf-16", "utf-8"):  # Python's UTF-16 is little-endian, with its mark
        # The fake panel lets in only a user name sent in code page 936.
        panel.reset()
        result = korvan(args, "run", "--config", account(scratch, encoding, CHINESE_USER, encoding=encoding))
        if args.wine and encoding == "utf-8":
            # The window program could not read it: told, as the two may share the file.
            check(result.code == 78 and "UTF-8 without a byte order mark" in result.err and not panel.requests("time"),
                  "UTF-8 without a mark on Windows: %d %r" % (result.code, result.err))
        else:
            check_run(result, [CHINESE_USER + " 登录成功！", EXPIRY, RENEWED], 0)
        yield "korvan.ini in %s" % encoding

    # (On Windows such a file is refused, as above.)
    with fake_receiver.FakeReceiver() as receiver:
        config = account(scratch, "utf-8-commands", CHINESE_USER, ["history=1", "webhook=" + receiver.url("webhook")],
                         encoding="utf-8")
        for command, (code, expected) in ({} if args.wine else UTF8_COMMANDS).items():
            result = korvan(args, command, "--config", config)
            check(result.code == code and result.err == "", "%s: %d %r" % (command, result.code, result.err))
            if isinstance(expected, list):
                check(result.messages == expected, "%s: entries %r" % (command, result.messages))
            else:
                check(re.fullmatch(expected, result.out), "%s: output %r" % (command, result.out))
            yield "UTF-8 without a mark: %s" % command
        check(args.wine or len(receiver.requests("webhook")) == 1, "test-push sent %d" % len(receiver.requests("webhook")))

    # The package's example: the Windows program reads it too (its mark), and so does every command.
    example = ROOT / "src" / "cli" / "debian" / "korvan.ini"
    shown = korvan(args, "status", "--config", example, "--state-dir", fresh(scratch, "example"))
    check(example.read_bytes().startswith(b"\xEF\xBB\xBF") and shown.code == 0 and "korvan-status.ini" in shown.out,
          "the example korvan.ini: %d %r" % (shown.code, shown.err))
    yield "the package's example korvan.ini"

    panel.reset()
    config = fresh(scratch, "no-known-section") / "korvan.ini"
    config.write_bytes(NO_KNOWN_SECTION.encode("utf-8"))
    for command in UTF8_COMMANDS:
        result = korvan(args, command, "--config", config)
        check(result.code == 78 and result.out == "" and re.fullmatch(
            "korvan: %s holds none of the sections \\[登录配置\\], \\[监控续费时间\\] and \\[高级设置\\].*\n"
            % re.escape(program_argument(args, config)), result.err), "%s: %d %r %r" % (command, result.code, result.out, result.err))
        yield "no known section: %s" % command
    check(not panel.requests() and not panel.requests("time"), "a korvan.ini without its sections sent requests")


def group_bad_input(args, panel, scratch):
    good = ini_text().encode("gbk")
    cases = {
        # name: (korvan.ini's bytes, None: no file, "folder": a folder; extra arguments; status; stderr says)
        "missing": (None, [], 78, "cannot read"),
        "empty": (b"", [], 78, "is empty"),
        "binary": (bytes(range(256)) * 8, [], 78, "binary data"),
        "huge": (good + b"x=" + b"v" * (2 << 20), [], 78, "larger than 1 MiB"),
        "folder": ("folder", [], 78, "is not a file"),
        "no-user": (ini_text("").encode("gbk"), [], 78, "sets no user name"),
        "no-password": (ini_text().replace("pass=", "pass2=").encode("gbk"), [], 78, "sets no password"),
        "state-unwritable": (good, ["--state-dir", "/dev/null/state"], 78, "cannot create"),
        "unknown-option": (good, ["--bogus"], 64, "bogus"),
    }
    panel.reset()
    for name, (content, extra, code, said) in cases.items():
        path = scratch / name / "korvan.ini"
        path.parent.mkdir()
        if content == "folder":
            path.mkdir()
        elif content is not None:
            path.write_bytes(content)
        for command in ("run", "tick"):
            result = korvan(args, command, "--config", path, *extra)
            check(result.code == code and said in result.err, "%s %s: %d %r" % (command, name, result.code, result.err))
        yield name
    for argv in ([], ["renew"], ["run", "check"]):
        check(korvan(args, *argv).code == 64, "korvan %r is no usage error" % argv)
    # A package names the panel and the time page it was built for.
    version = korvan(args, "--version")
    check(version.code == 0 and re.fullmatch(r"korvan(-cli)? \d+\.\d+\.\d+ \(panel 127\.0\.0\.1:%d, time page 127\.0\.0\.1:%d\)\r?\n"
                                             % (args.site_port, args.time_port), version.out), "--version: %r" % version.out)
    check(not panel.requests() and not panel.requests("time"), "bad input sent requests")
    yield "bad usage"


# name: (the last run ended this many hours ago, None: as the tick before left korvan-tick.ini; due)
TICKS = {"no run yet": (None, True), "just after a run": (None, False), "9.9 hours after a run": (9.9, False),
         "10.01 hours after a run": (10.01, True)}


def group_tick(args, panel, scratch):
    panel.set_scenario("success")
    config = account(scratch, "tick")
    folder = config.parent
    for name, (hours_ago, due) in TICKS.items():
        if hours_ago:
            (folder / "korvan-tick.ini").write_text("[tick]\r\nlastRunEnded=%d\r\n" % (time.time() - hours_ago * 3600))
        panel.reset()
        result = korvan(args, "tick", "--config", config)
        if due:
            check_run(result, [LOGGED_IN, EXPIRY, RENEWED], 0)
        else:
            sent = [r["path"] for r in panel.requests() + panel.requests("time")]
            check(result.code == 0 and result.out == result.err == "" and not sent,
                  "%s: %d %r %r, sent %r" % (name, result.code, result.out, result.err, sent))
        yield name
    kept = sorted(p.name for p in folder.iterdir())
    # (Windows keeps the lock in a named mutex, which leaves no file.)
    lock = [] if args.wine else ["korvan.lock"]
    check(kept == ["korvan-tick.ini", "korvan.ini", *lock], "history off left %r" % kept)

    # One run per state directory: a lock held elsewhere, then two ticks at once.
    panel.reset()
    config = account(scratch, "locked")
    # (Windows locks are not Linux's: there the second tick's lock is the one held elsewhere.)
    if not args.wine:
        with open(config.parent / "korvan.lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            tick, run = korvan(args, "tick", "--config", config), korvan(args, "run", "--config", config)
        check(tick.code == 0 and tick.out == "" and run.code == 75 and "under way" in run.err, "locked: %d, %d %r"
              % (tick.code, run.code, run.err))
        check(not panel.requests(), "a locked state directory sent requests")
    panel.state.delay_seconds = 0.3
    both = [subprocess.Popen(command(args, "tick", "--config", config), stdout=subprocess.PIPE) for _ in range(2)]
    codes = [process.wait(timeout=60) for process in both]
    logins = [r for r in panel.requests() if r["path"] == "/user/usertop_login.asp"]
    check(codes == [0, 0] and len(logins) == 1, "two ticks at once: %r, %d logins" % (codes, len(logins)))
    yield "the lock"

    if args.wine:
        # The Task Scheduler's run shows its entries nowhere: korvan.log keeps them, history off.
        panel.state.delay_seconds = 0
        config = account(scratch, "scheduled")
        result = korvan(args, "tick", "--scheduled", "--config", config)
        log = (config.parent / "korvan.log").read_bytes() if (config.parent / "korvan.log").exists() else b""
        kept = b"\xEF\xBB\xBF" + "".join("%s\r\n%s\r\n" % entry for entry in result.entries).encode()
        check(result.code == 0 and len(result.entries) == 3 and log == kept, "a scheduled tick's korvan.log %r" % log)
        yield "a scheduled tick keeps korvan.log"


def provider_time(seconds):
    """A Unix time as the plan keeps it in korvan-tick.ini: the panel's UTC+8, written like the log's stamps."""
    t = time.gmtime(seconds + 8 * 3600)
    clock = "%d时%d分%d秒" % (t.tm_hour, t.tm_min, t.tm_sec) if t.tm_sec else "%d时%d分" % (t.tm_hour, t.tm_min)
    return "%d年%d月%d日%s" % (t.tm_year, t.tm_mon, t.tm_mday, clock)


def write_plan(folder, opens, next_run, tick_lines=()):
    """korvan-tick.ini with these [tick] lines (None: those it holds) and a plan."""
    tick = folder / "korvan-tick.ini"
    if tick_lines is None:
        tick_lines = tick.read_text(encoding="gbk").split("[运行状态]")[0].splitlines()[1:]
    tick.write_bytes(("\r\n".join(["[tick]", *tick_lines, "[运行状态]", "windowOpens=" + provider_time(opens),
                                    "nextRun=" + provider_time(next_run)]) + "\r\n").encode("gbk"))


def panel_paths(panel):
    return [r["path"] for r in panel.requests()]


def group_plan(args, panel, scratch):
    panel.set_scenario("renewal_refused")
    network = fake_panel.DEFAULT_TIME_MS // 1000  # the time page's time: three years behind this computer's clock
    config = account(scratch, "plan-clock", extra=["deadline=1"])
    folder = config.parent
    # A check planned 20 minutes on in network time: by the computer's clock it is long due.
    write_plan(folder, network + 50 * 60, network + 20 * 60, ["lastRunStarted=%d" % time.time()])
    panel.reset()
    result = korvan(args, "tick", "--config", config)
    check(result.code == 0 and panel_paths(panel) == [] and len(panel.requests("time")) == 1,
          "a clock three years ahead: %d, sent %r" % (result.code, panel_paths(panel)))
    # The offset shown is the reading kept by the tick.
    shown = korvan(args, "status", "--config", config)
    # The first line is the one next run: the plan's check, by the network time.
    clock = time.gmtime(network + 20 * 60 + 8 * 3600)
    check(re.match("下次运行：%d时%d分（(19|20)分钟后，检查）\n" % (clock.tm_hour, clock.tm_min), shown.out)
          and "下次计划运行：%s（检查）" % provider_time(network + 20 * 60) in shown.out
          and "本机时钟：比网络时间快" in shown.out, "status %r" % shown.out)
    status = json.loads(korvan(args, "status", "--config", config, "--json").out)
    check(status["nextRun"]["kind"] == "check" and status["nextRun"]["time"] == status["plan"]["nextRun"],
          "JSON status %r" % status)
    yield "the computer's clock off: planned runs by the network time"

    # A planned run due before the next tick is waited for in this one, not rounded up to the next.
    panel.state.time_ms = None
    try:
        now = int(time.time())
        config = account(scratch, "plan-wait", extra=["deadline=1"])
        write_plan(config.parent, now + 3600, now + 3, ["lastRunStarted=%d" % now])
        panel.reset()
        result = korvan(args, "tick", "--config", config)
        check(result.code == 0 and result.messages[-1:] == ["检查完成：未提交续期"] and result.seconds >= 2,
              "the tick did not wait for the check: %d %r after %.1f s" % (result.code, result.messages, result.seconds))
        yield "a planned run due before the next tick"

        # A refused password: the plan waits until korvan.ini changes, then goes on.
        panel.set_scenario("wrong_password")
        config = account(scratch, "plan-password", extra=["deadline=1"])
        folder = config.parent
        check(korvan(args, "run", "--config", config).code == 2, "the wrong password's run")
        write_plan(folder, now + 7200, now - 60, None)  # a planned run long due
        panel.reset()
        result, shown = korvan(args, "tick", "--config", config), korvan(args, "status", "--config", config)
        check(result.code == 0 and panel_paths(panel) == [] and "等待修改密码" in shown.out,
              "waiting for the user: %d %r %r" % (result.code, panel_paths(panel), shown.out))
        config.write_bytes(ini_text(extra=["deadline=1", "; password changed"]).encode("gbk"))
        korvan(args, "tick", "--config", config)
        shown = korvan(args, "status", "--config", config)
        check("下次计划运行：%s（检查）" % provider_time(now + 7200 - 1800) in shown.out,
              "a changed korvan.ini did not resume the plan: %r" % shown.out)
        yield "a refused password waits for a changed korvan.ini"

    finally:
        panel.state.time_ms = fake_panel.DEFAULT_TIME_MS
        panel.set_scenario("success")

    # The plan switched on in korvan.ini after runs without it: until an expiry is read the plan
    # line says why nothing is planned, and the next tick checks at once; a tick after it, with
    # korvan.ini as it was, sends nothing.
    panel.set_scenario("success")
    config = account(scratch, "plan-switched-on")
    check(korvan(args, "tick", "--config", config).code == 0, "the first tick")
    config.write_bytes(ini_text(extra=["deadline=1"]).encode("gbk"))
    shown = korvan(args, "status", "--config", config)
    check("下次计划运行：未安排（读到到期时间后安排，可运行 korvan check）" in shown.out
          and re.match("下次运行：\\d+时\\d+分（(10小时0|9小时59)分钟后，定时续期）\n", shown.out),
          "status before the check %r" % shown.out)
    panel.reset()
    result = korvan(args, "tick", "--config", config)
    check(result.code == 0 and result.messages[:3] == [LOGGED_IN, EXPIRY, CHECK_DONE]
          and result.messages[3].startswith("续期窗口：") and len(panel.requests()) == 3,
          "the tick after the plan was switched on: %d %r" % (result.code, result.messages))
    shown = korvan(args, "status", "--config", config)
    check("下次计划运行：2024年5月5日11时30分（检查）" in shown.out, "status after the check %r" % shown.out)
    panel.reset()
    result = korvan(args, "tick", "--config", config)
    check(result.code == 0 and not panel.requests(), "the next tick sent %r" % panel_paths(panel))
    yield "the plan switched on in korvan.ini checks at once"

    # A state directory that cannot be written: nothing is sent, and the tick says why.
    if os.geteuid() == 0 and shutil.which("unshare"):
        config = account(scratch, "plan-full")
        (config.parent / "state").mkdir()
        panel.reset()
        script = ('mount -t tmpfs -o size=64k tmpfs "$1" && touch "$1/korvan.lock" && (dd if=/dev/zero of="$1/fill" '
                  'bs=4k 2>/dev/null; true) && exec "$2" tick --config "$3" --state-dir "$1"')
        done = subprocess.run(["unshare", "-m", "sh", "-c", script, "sh", str(config.parent / "state"), args.korvan,
                               str(config)], capture_output=True, timeout=60)
        check(done.returncode == 73 and "cannot keep" in done.stderr.decode() and not panel.requests()
              and not panel.requests("time"), "a full disk: %d %r, sent %r" % (done.returncode, done.stderr, panel_paths(panel)))
        yield "a full state directory sends nothing"


def group_accounts(args, panel, scratch):
    # Two accounts in one folder: each its own lock, record, log and plan.
    panel.set_scenario("success")
    folder = fresh(scratch, "etc")
    (folder / "alice.ini").write_bytes(ini_text(extra=["history=1"]).encode("gbk"))
    (folder / "bob.ini").write_bytes(ini_text(CHINESE_USER).encode("gbk"))
    ran = korvan(args, "run", "--config", folder / "alice.ini")
    panel.reset()
    ticked = korvan(args, "tick", "--config", folder / "bob.ini")
    names = sorted(p.name for p in folder.iterdir())
    check(ran.code == ticked.code == 0 and ticked.messages[-1:] == [RENEWED] and len(panel.requests()) == 4 and names
          == ["alice-status.ini", "alice-tick.ini", "alice.ini", "alice.lock", "alice.log", "bob-tick.ini", "bob.ini",
              "bob.lock"], "bob's tick after alice's run: %r, the folder %r" % (ticked.messages, names))
    shown = korvan(args, "status", "--config", folder / "bob.ini", "--json")
    status = json.loads(shown.out)
    check(shown.code == 0 and status["lastResult"] == "续费成功！" and status["recordFile"] == "bob-tick.ini"
          and status["lastRun"] == "2023-11-15T06:13:20+08:00" and status["deadline"] is False
          and status["nextRun"]["kind"] == "periodic"
          and fake_panel.PASSWORD not in shown.out, "bob's JSON status %r" % shown.out)
    # A state directory that holds another config's state is refused.
    other = fresh(scratch, "other") / "alice.ini"
    other.write_bytes((folder / "alice.ini").read_bytes())
    refused = korvan(args, "run", "--config", other, "--state-dir", folder)
    check(refused.code == 78 and "holds the state of" in refused.err and refused.err.startswith("korvan: "),
          "another config's state: %d %r" % (refused.code, refused.err))
    yield "two accounts in one folder"

    # A failure stays visible: status exits 1 after a failed run, 2 after a refused password, with
    # history off too, and the journal gets one line per entry with its level.
    for scenario, code in (("login_500", 1), ("unknown_verdict", 1), ("wrong_password", 2), ("success", 0)):
        panel.set_scenario(scenario)
        config = account(scratch, "visible-" + scenario)
        journal = config.parent / "journal"
        with open(journal, "wb") as out:
            info = os.fstat(out.fileno())
            done = subprocess.run([args.korvan, "run", "--config", str(config)], stdout=out, timeout=60,
                                  env=dict(os.environ, JOURNAL_STREAM="%d:%d" % (info.st_dev, info.st_ino)))
        lines, shown = journal.read_text().splitlines(), korvan(args, "status", "--config", config)
        check(done.returncode == shown.code == code and lines and lines[-1].startswith(("<3>" if code else "<6>") + STAMP)
              and all(line.startswith("<6>") for line in lines[:-1]), "%s: status %d, the journal %r"
              % (scenario, shown.code, lines))
    yield "a failure stays visible"

    # Quiet for cron: nothing from a good run (the last above), every entry of a failed one.
    quiet = korvan(args, "run", "-q", "--config", config)
    panel.set_scenario("login_500")
    failed, wrong = korvan(args, "--quiet", "run", "--config", config), korvan(args, "stauts", "--config", config)
    plain = fresh(scratch, "plan-default") / "korvan.ini"
    plain.write_bytes("[登录配置]\r\nuser=a\r\n".encode("gbk"))
    on, off = korvan(args, "status", "--config", plain), korvan(args, "status", "--config", config)
    check(quiet.out == "" and failed.code == 1 and failed.messages == [LOGIN_FAILED] and wrong.code == 64
          and "did you mean 'status'" in wrong.err and "按时续期：已开启" in on.out and "按时续期：已关闭" in off.out,
          "quiet %r, %r; a typo %r; the plan's default %r" % (quiet.out, failed.messages, wrong.err, on.out))
    panel.set_scenario("success")
    yield "quiet, a typo, the plan on by default"

    # root's own run in the service's state directory would leave files the service cannot write.
    if os.geteuid() == 0:
        config = account(scratch, "service")
        state = config.parent / "state"
        state.mkdir()
        os.chown(state, 65534, 65534)
        panel.reset()
        refused = korvan(args, "tick", "--config", config, "--state-dir", state)
        shown = korvan(args, "status", "--config", config, "--state-dir", state)
        check(refused.code == 78 and "systemctl start korvan@state.service" in refused.err and not panel.requests()
              and not list(state.iterdir()) and shown.code == 0, "root in the service's directory: %d %r"
              % (refused.code, refused.err))
        yield "root in the service's state directory"


def fault_case(args, panel, scratch, step, mode):
    user = "f-%s-%s" % (step, mode)
    panel.set_fault(step, mode, user)
    messages, _, broken = fault_e2e.STEPS[step]
    result = korvan(args, "run", "--config", account(scratch, user, user), timeout=90)
    check_run(result, [m.format(user=user) for m in messages], FAULT_EXIT[step])
    waits = mode in fault_e2e.WAITING_MODES
    allowed = broken * (fault_e2e.PANEL_GIVE_UP if waits else 3) + fault_e2e.SLACK
    check(result.seconds <= allowed, "%s took %.1f s, more than %d s" % (user, result.seconds, allowed))
    if mode == "silent":
        check(result.seconds >= fault_e2e.TIMEOUT - 1, "a silent server was not waited for")
    return user


def group_faults(args, panel, scratch):
    panel.set_scenario("success")
    steps = [step for step in fault_e2e.STEPS if step != "time"]
    # The side-by-side runs, each with its own folder and user, are also two accounts' timers at once.
    with concurrent.futures.ThreadPoolExecutor(len(FAULT_USERS)) as pool:
        runs = [pool.submit(fault_case, args, panel, scratch, step, mode)
                for step in steps for mode in fake_panel.FAULT_MODES]
        for run in runs:
            yield run.result()
    # The time page cannot tell callers apart: one mode at a time, on a one-entry run.
    panel.set_scenario("wrong_password")
    for mode in fake_panel.FAULT_MODES:
        panel.set_fault("time", mode)
        result = korvan(args, "run", "--config", account(scratch, "time-" + mode), timeout=90)
        check_run(result, [WRONG_PASSWORD], 2, stamps=False)
        off = fault_e2e.clock_stamp_seconds_off(result.entries[0][0])
        check(off is not None and off < 300, "stamp %r is not the clock's" % result.entries[0][0])
        check(result.seconds <= fault_e2e.TIME_PAGE_GIVE_UP + fault_e2e.SLACK, "time.%s took %.1f s" % (mode, result.seconds))
        yield "time.%s" % mode


# The files of a finished run, as a run stopped in its login must leave them.
FINISHED_RUN = {"korvan-status.ini": "[运行状态]\r\nfailures=3\r\n".encode("gbk"),
                "korvan-tick.ini": b"[tick]\r\nlastRunEnded=1\r\n"}


def folder_after_a_run(scratch, name):
    """A korvan.ini for the user "sig", with the run record on, beside FINISHED_RUN's files."""
    config = account(scratch, name, "sig", ["history=1"])
    for file, content in FINISHED_RUN.items():
        (config.parent / file).write_bytes(content)
    return config


def check_stopped_run_left(folder, how):
    """The run's start went to the disk whole before its first request; the last finished run stays."""
    check((folder / "korvan-status.ini").read_bytes() == FINISHED_RUN["korvan-status.ini"], "korvan-status.ini changed")
    tick = (folder / "korvan-tick.ini").read_text()
    check(re.search(r"^lastRunStarted=\d+\r?$", tick, re.M) and re.search(r"^lastRunEnded=1\r?$", tick, re.M),
          "korvan-tick.ini after %s: %r" % (how, tick))


def group_sigterm(args, panel, scratch):
    panel.set_scenario("success")
    panel.set_fault("login", "silent", "sig")
    config = folder_after_a_run(scratch, "sig")
    folder = config.parent
    process = subprocess.Popen([args.korvan, "run", "--config", config], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        wait_until(lambda: [r for r in panel.requests() if r["user"] == "sig"], 10, step=0.05)
        process.send_signal(signal.SIGTERM)
        _, err = process.communicate(timeout=5)
    finally:
        process.kill()
        panel.set_fault("login", None, "sig")
    check(process.returncode == 1 and "stopped by SIGTERM" in err.decode(), "%d %r" % (process.returncode, err))
    check_stopped_run_left(folder, "SIGTERM")
    left = sorted(p.name for p in folder.iterdir())
    check(left == ["korvan-status.ini", "korvan-tick.ini", "korvan.ini", "korvan.lock"], "the stopped run left %r" % left)
    yield "SIGTERM during the login"

    # Standard output closed before the first entry: the run goes on to its end all the same. It is
    # also the next run of the stopped one's state directory, so it finds the lock let go.
    panel.reset()
    process = subprocess.Popen([args.korvan, "run", "--config", config], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    process.stdout.close()
    check(process.wait(timeout=60) == 0 and len(panel.requests()) == 4, "with its output closed the run ended %r after %r"
          % (process.returncode, [r["path"] for r in panel.requests()]))
    yield "standard output closed"


def group_watch(args, panel, scratch):
    panel.set_scenario("success")
    config = account(scratch, "watch")
    tick_file = config.parent / "korvan-tick.ini"
    process = subprocess.Popen([args.korvan, "watch", "--config", config], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        # Its first tick runs at once; then it waits for the next.
        wait_until(lambda: tick_file.exists() and b"lastExit=0" in tick_file.read_bytes(), 20, step=0.1)
        time.sleep(0.5)
        process.send_signal(signal.SIGTERM)
        out, err = process.communicate(timeout=5)
    finally:
        process.kill()
    messages = out.decode().split("\n")[1:-1:2]
    check(process.returncode == 0 and err.decode() == "korvan: stopped by SIGTERM between runs\n",
          "watch stopped between runs: %d %r" % (process.returncode, err))
    check(messages == [LOGGED_IN, EXPIRY, RENEWED] and len(panel.requests()) == 4, "watch's first tick %r" % messages)
    yield "SIGTERM between runs"

    missing = korvan(args, "watch", "--config", scratch / "none.ini", timeout=10)
    check(missing.code == 78 and "cannot read" in missing.err, "watch without korvan.ini: %d %r" % (missing.code, missing.err))
    yield "no korvan.ini"


def group_console(args, panel, scratch):
    """korvan-cli.exe in a console, as cmd.exe gives it: the entries show in Chinese at either code
    page; Ctrl-C cuts a run the way SIGTERM does on Linux, and ends watch between its runs."""
    def in_console(verb, first, file, argv):
        line = subprocess.list2cmdline([program_argument(args, args.korvan)] + [program_argument(args, a) for a in argv])
        return subprocess.Popen([args.wine, os.path.abspath(args.console_control), verb, first,
                                 program_argument(args, file), line], stdout=subprocess.PIPE)

    for code_page in ("936", "65001"):
        panel.reset()
        config = account(scratch, "cp" + code_page)
        screen = config.parent / "screen.txt"
        process = in_console("screen", code_page, screen, ["run", "--config", config])
        try:
            out, _ = process.communicate(timeout=90)
        finally:
            process.kill()
        check(screen.exists(), "no console at code page %s: %r" % (code_page, out))
        shown = screen.read_text(encoding="utf-8").split("\n")
        check(out.decode().strip() == "exit 0" and shown[1:6:2] == [LOGGED_IN, EXPIRY, RENEWED],
              "a console at code page %s showed %r (%r)" % (code_page, shown, out))
        yield "the entries in a console at code page %s" % code_page

    def stopped(config, argv, ready):
        trigger, errors = config.parent / "send-ctrl-c", config.parent / "stderr.txt"
        process = in_console("ctrl-c", program_argument(args, trigger), errors, argv)
        try:
            check(wait_until(ready, 30, step=0.1), "%s did not get under way" % argv[0])
            trigger.touch()
            out, _ = process.communicate(timeout=40)
        finally:
            process.kill()
        return out.decode().strip(), errors.read_bytes().decode("utf-8", "replace")

    panel.reset()
    panel.set_scenario("success")
    panel.set_fault("login", "silent", "sig")
    config = folder_after_a_run(scratch, "run")
    try:
        status, err = stopped(config, ["run", "--config", config],
                              lambda: [r for r in panel.requests() if r["user"] == "sig"])
    finally:
        panel.set_fault("login", None, "sig")
    check(status == "exit 1" and err == "korvan: stopped by Ctrl-C during the run; the files keep the last finished run\n",
          "Ctrl-C during the login: %r %r" % (status, err))
    check_stopped_run_left(config.parent, "Ctrl-C")
    yield "Ctrl-C during the login"

    panel.reset()
    config = account(scratch, "watch")
    tick_file = config.parent / "korvan-tick.ini"
    status, err = stopped(config, ["watch", "--config", config],
                          lambda: tick_file.exists() and b"lastExit=0" in tick_file.read_bytes())
    check(status == "exit 0" and err == "korvan: stopped by Ctrl-C between runs\n" and len(panel.requests()) == 4,
          "Ctrl-C between runs: %r %r after %d requests" % (status, err, len(panel.requests())))
    yield "Ctrl-C between the runs of watch"


def group_schedule(args, panel, scratch):
    """korvan-cli.exe's task through the Task Scheduler's interface, as Wine keeps it (it never starts one)."""
    config = account(scratch, "alice")
    tasks = pathlib.Path(os.environ["WINEPREFIX"]) / "drive_c" / "windows" / "system32" / "tasks" / "Korvan"
    before = set(tasks.iterdir()) if tasks.is_dir() else set()
    ours = lambda: sorted(p.name for p in set(tasks.iterdir()) - before) if tasks.is_dir() else []  # noqa: E731
    for _ in range(2):
        done = korvan(args, "schedule", "--config", config)
        check(done.code == 0 and "registered the task Korvan\\alice " in done.out, "schedule: %d %r %r"
              % (done.code, done.out, done.err))
    check(len(ours()) == 1, "schedule twice left the tasks %r" % ours())
    # Wine keeps the settings (not the triggers or the action, which task_definition_test checks).
    task = (tasks / ours()[0]).read_text("utf-8-sig")
    kept = ["<StartWhenAvailable>true", "<MultipleInstancesPolicy>IgnoreNew", "<DisallowStartIfOnBatteries>false",
            "<StopIfGoingOnBatteries>false", "<WakeToRun>false"]
    check(all(setting in task for setting in kept), "the task as registered: %r" % task)
    shown = korvan(args, "status", "--config", config)
    check(shown.out.endswith("任务计划程序：已登记 Korvan\\%s，还没有运行过\n" % ours()[0]), "status %r" % shown.out[-80:])
    yield "schedule twice: one task, shown by status"

    for said in ("removed the task", "nothing removed"):
        done = korvan(args, "unschedule", "--config", config)
        check(done.code == 0 and said in done.out and not ours(), "unschedule: %d %r" % (done.code, done.out))
    shown = korvan(args, "status", "--config", config)
    check("没有为这个 korvan.ini 登记任务" in shown.out, "status after unschedule %r" % shown.out[-80:])
    check(not panel.requests() and not panel.requests("time"), "scheduling sent requests")
    yield "unschedule, and again"

    # With the wake on, a scheduled run puts a wake task before the plan's next run; with it off, it goes.
    panel.set_scenario("success")
    woken = []
    for wake in ("1", "0"):
        config.write_bytes(ini_text(extra=["deadline=1", "history=1", "wake=" + wake]).encode("gbk"))
        (config.parent / "korvan-tick.ini").unlink(missing_ok=True)
        # A check reads the expiry the plan is made from (a renewal leaves it waiting for the new one).
        done = korvan(args, "check", "--scheduled", "--config", config)
        woken.append([p.read_text("utf-8-sig") for p in tasks.glob("alice * (wake)")])
        check(done.code == 0, "the scheduled check with wake=%s: %d %r" % (wake, done.code, done.err))
    check(len(woken[0]) == 1 and "<WakeToRun>true" in woken[0][0] and not woken[1], "wake tasks %r" % woken)
    yield "a scheduled run moves the wake task"


def group_pushes(args, panel, scratch):
    for name, (scenario, channels, closed, notify, failures, messages, title, pings) in alerts_e2e.CASES.items():
        panel.reset()
        panel.set_scenario(scenario)
        folder = fresh(scratch, "push-" + name)
        with fake_receiver.FakeReceiver() as receiver:
            alerts_e2e.write_files(folder, receiver, channels, closed, notify, failures)
            result = korvan(args, "run", "--config", folder / "korvan.ini")
            check_run(result, messages, 2 if scenario == "wrong_password" else 0)
            got = ["%s %s" % (r["method"], r["path"]) for r in receiver.requests("heartbeat")]
            check(got == pings, "heartbeat pings %r" % got)
            pushed = {channel: len(receiver.requests(channel)) for channel in alerts_e2e.CHANNELS}
            wanted = {channel: int(bool(title) and channel in channels and channel not in closed) for channel in pushed}
            check(pushed == wanted, "pushes per channel %r, expected %r" % (pushed, wanted))
            if name == "wrong-password":
                alerts_e2e.check_bytes(receiver, title)
        yield name
    for closed, code in (((), 0), (("bark",), 1)):
        folder = fresh(scratch, "test-push-%d" % code)
        with fake_receiver.FakeReceiver() as receiver:
            alerts_e2e.write_files(folder, receiver, alerts_e2e.CHANNELS, closed, None, None)
            result = korvan(args, "test-push", "--config", folder / "korvan.ini")
            check(len(receiver.requests()) == 9 - len(closed), "test-push sent %d" % len(receiver.requests()))
        lines = result.out.splitlines()
        failed = [line for line in lines if not line.endswith("：成功")]
        check(result.code == code and len(lines) == 9 and failed == ["Bark：失败（无法连接）"] * len(closed),
              "test-push: %d %r" % (result.code, lines))
    none = korvan(args, "test-push", "--config", account(scratch, "test-push-none"))
    check(none.code == 78 and "no push channel" in none.err, "test-push without channels: %r" % none.err)
    yield "test-push"


def group_texts(args, panel, scratch):
    # The panel's expiry cell runs on for 2 MB, double-byte characters to the end.
    prefix = "x" + "年" * (1 << 20)
    panel.set_scenario("expiry_moves")
    panel.set_expiry_prefix(prefix)
    config = account(scratch, "long-expiry", extra=["verify=1", "history=1"])
    folder = config.parent
    result = korvan(args, "run", "--config", config)
    starts = [LOGGED_IN, "到期时间：x年年", RENEWED, "到期时间已更新：x年年"]
    check(result.code == 0 and len(result.messages) == 4 and all(
        message.startswith(start) and len(message) < 1024 for message, start in zip(result.messages, starts)),
        "%d, entries %r" % (result.code, [message[:40] for message in result.messages]))
    # Each expiry text 200 bytes at most in the output and korvan.log, as in the record.
    kept = "x" + "年" * 99 + "…"
    check(result.messages[1] == "到期时间：" + kept and result.messages[3].startswith("到期时间已更新：%s → " % kept),
          "expiry entries %r" % [message[:300] for message in result.messages[1::2]])
    log = "".join("%s\r\n%s\r\n" % entry for entry in result.entries)
    check((folder / "korvan.log").read_bytes() == b"\xEF\xBB\xBF" + log.encode(), "korvan.log is not what was shown")
    size = (folder / "korvan-status.ini").stat().st_size
    check(size < 4096, "korvan-status.ini holds %d bytes" % size)
    # The expiry kept is 200 bytes at most, never half of a double-byte character.
    shown = korvan(args, "status", "--config", config)
    check(shown.code == 0 and "\n运行结果：到期时间已更新：x年年" in shown.out and "\n到期时间：x%s…\n" % ("年" * 99) in shown.out
          and "记录来源：korvan-status.ini" in shown.out, "status %r" % shown.out[:600])
    yield "a 2 MB expiry"


GROUPS = {"outcomes": group_outcomes, "encodings": group_encodings, "bad-input": group_bad_input,
          "tick": group_tick, "plan": group_plan, "accounts": group_accounts, "faults": group_faults,
          "sigterm": group_sigterm, "watch": group_watch, "schedule": group_schedule, "console": group_console, "pushes": group_pushes, "texts": group_texts}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--korvan", required=True)
    parser.add_argument("--site-port", type=int, required=True)
    parser.add_argument("--time-port", type=int, required=True)
    parser.add_argument("--wine", help="korvan-cli.exe under this wine: the groups that concern the platform")
    parser.add_argument("--console-control", help="tools/wine/console_control.exe, for the console group")
    # The Task Scheduler and the console are korvan-cli.exe's alone: their groups are named to be run.
    parser.add_argument("groups", nargs="*", default=[name for name in GROUPS if name not in ("schedule", "console")])
    args = parser.parse_args()
    # Neither Windows program asks a proxy: one named in the environment must not be used. (Wine's
    # WinHTTP takes $http_proxy for the system's setting, which Windows keeps elsewhere.)
    if not args.wine:
        os.environ.update(http_proxy="http://127.0.0.1:9", https_proxy="http://127.0.0.1:9", ALL_PROXY="http://127.0.0.1:9")
    passed = failed = 0
    began = time.monotonic()
    # The outcomes group closes its panel to leave the site port closed: it comes last.
    for name in sorted(args.groups, key=lambda group: group == "outcomes"):
        panel = fake_panel.FakePanel(panel_port=args.site_port, time_port=args.time_port, users=USERS)
        try:
            with tempfile.TemporaryDirectory(prefix="korvan-cli-") as scratch:
                for case in GROUPS[name](args, panel, pathlib.Path(scratch)):
                    print("ok   %s: %s" % (name, case), flush=True)
                    passed += 1
        except Exception as failure:  # noqa: BLE001 - a group's failure is reported and the others go on
            print("FAIL %s: %s" % (name, failure), flush=True)
            failed += 1
        finally:
            panel.close()
    print("cli_e2e: %.0f s" % (time.monotonic() - began))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
