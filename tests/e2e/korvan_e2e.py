#!/usr/bin/env python3
"""End-to-end checks of korvan.exe under Wine, read from outside through window_probe.exe.

Each case copies korvan.exe into a fresh directory, starts it, reads the window and the files it
writes, and closes it. Standard library only. Needs WINEPREFIX (a throwaway prefix); DISPLAY is
used when set, otherwise an own Xvfb is started for the run.
"""
import argparse
import contextlib
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

FIRST_USE_MESSAGE = "第一次使用请先保存配置后重启软件"
INFORMATION_CAPTION = "信息："
RUNTIME_ERROR_CAPTION = "运行时出错!"
MISSING_EXPORT_MESSAGE = "无法找到指定DLL库文件“SkinH_EL.dll”中的输出命令“SkinH_AttachRes”"
PAUSED = "监控暂停中 ●"
ABNORMAL = "监控异常中，请重启 ●"
RUNNING_FILLED = "监控运行中 ●"
RUNNING_HOLLOW = "监控运行中 ○"
SAVED = "配置保存完毕，请重启软件生效"
HIDDEN = 0x2

# id: (form name, left, top, width, height, text or None when not checked)
FORM = {
    1003: ("透明标签1", 248, 224, 152, 24, None),
    1005: ("超级链接框1", 32, 224, 200, 24, "免费永久VPS 点击申请"),
    1008: ("编辑框_user", 39, 11, 112, 24, ""),
    1009: ("标签7", 315, 48, 40, 24, "小时"),
    1010: ("标签5", 160, 48, 64, 24, "软件重启"),
    1011: ("标签4", 312, 8, 48, 24, "小时"),
    1012: ("编辑框_jk", 240, 8, 56, 24, "10"),
    1013: ("标签3", 160, 8, 80, 24, "监控时间"),
    1014: ("标签2", 8, 40, 24, 24, "pass"),
    1015: ("标签1", 8, 8, 24, 24, "user"),
    1016: ("编辑框_jl", 3, 80, 433, 136, None),
    1017: ("按钮_保存", 372, 16, 56, 48, "保存配置"),
    1018: ("编辑框_pass", 38, 48, 112, 24, ""),
    1019: ("编辑框_cq", 240, 48, 58, 24, "24"),
}
RENEW_HOURS_BOX = 1012
RESTART_HOURS_BOX = 1019
STATUS_LABEL = 1003
LOG_BOX = 1016
SAVE_BUTTON = 1017
PASSWORD_BOX = 1018
ES_PASSWORD = 0x20
BS_OWNERDRAW = 0xB


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


class Wine:
    def __init__(self, loader, probe, environment=None):
        self.loader = os.path.abspath(loader) if os.sep in loader else loader
        self.probe = probe
        self.environment = environment  # for the probe and the program; None: this process's

    def run_probe(self, *args):
        # The probe's own waits are bounded by its arguments; this only guards a hung Wine.
        waits = [int(arg) for arg in args[1:2] if args[0] in ("wait", "message-box")]
        timeout = 30 + (waits[0] // 1000 if waits else 0)
        # Output goes to a file, not a pipe: when the probe is the prefix's first Wine process, the
        # wineserver it starts inherits the pipe and would hold it open long after the probe ended.
        with tempfile.TemporaryFile() as output:
            result = subprocess.run([self.loader, self.probe, *map(str, args)], stdout=output,
                                    stderr=subprocess.DEVNULL, timeout=timeout, env=self.environment)
            output.seek(0)
            text = output.read().decode("utf-8")
        lines = [json.loads(line) for line in text.splitlines() if line.strip()]
        return result.returncode, lines

    def start(self, exe, directory, output=None):
        """The program started in directory; its standard output and error go to the file output
        (None: discarded), where Wine writes what it says of a crash."""
        sink = output if output is not None else subprocess.DEVNULL
        return subprocess.Popen([self.loader, str(exe)], cwd=directory, stdout=sink, stderr=sink,
                                env=self.environment)


def wait_until(predicate, seconds, step=0.25):
    end = time.monotonic() + seconds
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(step)


def dos_attributes(path):
    try:
        return int(os.getxattr(path, "user.DOSATTRIB").split(b"\0")[0], 16)
    except OSError:
        return 0


# How long a program whose window stopped answering is given to end: a crash freezes every thread
# while Wine's debugger writes the backtrace, then ends the process.
CRASH_END_SECONDS = 30
CRASH_LINES = 16


class Session:
    """One korvan.exe in its own directory."""

    def __init__(self, wine, exe, directory):
        self.wine = wine
        self.directory = pathlib.Path(directory)
        shutil.copy(exe, self.directory / "korvan.exe")
        # Not in the program's directory, whose files the tests check.
        self.output = tempfile.TemporaryFile()
        self.process = wine.start(self.directory / "korvan.exe", self.directory, self.output)

    def ended(self, wait=0):
        """None while the program runs (after up to wait seconds for it to end); otherwise how it
        ended, with what Wine said of a crash."""
        try:
            code = self.process.wait(timeout=wait) if wait else self.process.poll()
        except subprocess.TimeoutExpired:
            return None
        if code is None:
            return None
        said = ""
        output = getattr(self, "output", None)
        if output is not None:
            output.seek(0)
            lines = output.read().decode("utf-8", "replace").splitlines()
            crash = [index for index, line in enumerate(lines) if line.startswith("wine: Unhandled")]
            if crash:
                said = ": " + " | ".join(lines[crash[0]:crash[0] + CRASH_LINES])
        return "korvan.exe ended (exit code %r)%s" % (code, said)

    def check_running(self):
        ended = self.ended()
        check(ended is None, ended)

    def not_answering(self, code):
        """Why the probe could not read the window (its exit code code): the program's end when it
        ended, crashed or was ending, rather than a window thread that does not answer."""
        ended = self.ended(CRASH_END_SECONDS if code in (3, 4) else 0)
        if ended:
            return ended
        if code == 3:
            return "the window's thread did not answer a message within 20 s"
        return "window_probe controls: main window not found"

    def controls(self):
        # On a loaded machine the window can be a moment late (or busy); try again, within bounds.
        for _ in range(10):
            code, lines = self.wine.run_probe("controls")
            if code in (0, 3, 4) or self.process.poll() is not None:
                break
            time.sleep(1)
        check(code == 0, self.not_answering(code))
        return {line["id"]: line for line in lines if line["id"]}

    def message_box(self, seconds=20):
        code, lines = self.wine.run_probe("message-box", int(seconds * 1000))
        check(code == 0 and lines, "no message box within %d s" % seconds)
        return lines[0]

    def status_samples(self, count, gap):
        """The status label's text, count times, gap seconds apart."""
        samples = []
        for _ in range(count):
            samples.append(self.controls()[STATUS_LABEL]["text"])
            time.sleep(gap)
        return samples

    def close(self):
        if self.process.poll() is None:
            self.wine.run_probe("dismiss")
            self.wine.run_probe("close")
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
        if getattr(self, "output", None) is not None:
            self.output.close()


def case_first_start(wine, args, directory):
    session = Session(wine, args.korvan, directory)
    try:
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        box = session.message_box()
        check(box["caption"] == INFORMATION_CAPTION, "first-use caption %r" % box["caption"])
        check(FIRST_USE_MESSAGE in box["texts"], "first-use texts %r" % box["texts"])

        library = pathlib.Path(directory) / "SkinH_EL.dll"
        check(library.is_file(), "SkinH_EL.dll was not written")
        check(library.read_bytes() == pathlib.Path(args.skin_library).read_bytes(),
              "SkinH_EL.dll differs from the library image")
        check(dos_attributes(library) & HIDDEN, "SkinH_EL.dll is not hidden")

        _, window = wine.run_probe("window")
        window = window[0]
        check(window["caption"] == "Korvan【%s】" % args.maker, "caption %r" % window["caption"])
        check((window["width"], window["height"]) == (458, 416), "outer size %r" % window)
        check(abs(window["left"] - (window["screenWidth"] - 458) // 2) <= 1 and
              abs(window["top"] - (window["screenHeight"] - 416) // 2) <= 1, "window not centred: %r" % window)
        WS_THICKFRAME, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_SYSMENU = 0x40000, 0x10000, 0x20000, 0x80000
        check(window["style"] & (WS_MINIMIZEBOX | WS_SYSMENU) == WS_MINIMIZEBOX | WS_SYSMENU and
              not window["style"] & (WS_THICKFRAME | WS_MAXIMIZEBOX), "window style %#x" % window["style"])

        controls = session.controls()
        for control_id, (name, left, top, width, height, text) in FORM.items():
            check(control_id in controls, "%s missing" % name)
            control = controls[control_id]
            check((control["left"], control["top"], control["width"], control["height"]) == (left, top, width, height),
                  "%s geometry %r" % (name, control))
            if text is not None:
                check(control["text"] == text, "%s shows %r" % (name, control["text"]))
        log = controls[LOG_BOX]["text"]
        check(log == "【%s】\r\n永久免费VPS http://%s/free.asp?rid=40206\r\n" % (args.maker, args.signup),
              "log box starts with %r" % log)
        check(controls[LOG_BOX]["limit"] > 30000, "log box keeps the 30,000-character limit")
        check(controls[PASSWORD_BOX]["style"] & ES_PASSWORD, "password box is no password entry")
        check(controls[SAVE_BUTTON]["style"] & 0xF == BS_OWNERDRAW, "the skin did not take over the button")
        check(controls[STATUS_LABEL]["exstyle"] & 0x20, "status label is not transparent")

        status = wait_until(lambda: session.controls()[STATUS_LABEL]["text"] == PAUSED, 5)
        check(status, "status label does not read %r" % PAUSED)

        _, pixel = wine.run_probe("pixel", 440, 230)
        expected = skin_window_colour(args.skin_file)
        check(pixel[0]["pixel"] == expected, "window background %s, skin colour %s" % (pixel[0]["pixel"], expected))

        wine.run_probe("dismiss")
        check(wait_until(lambda: wine.run_probe("message-box", 0)[0] != 0, 5), "first-use box did not close")

        # 运行状况 says why nothing is scheduled yet.
        check(wine.run_probe("sys", 0x0110)[0] == 0, "window_probe sys failed")
        status = "\r\n".join(session.message_box()["texts"])
        wine.run_probe("dismiss")
        check("下次续费运行：未安排（尚未保存配置）" in status and "下次重启：未安排（尚未保存配置）" in status,
              "运行状况 before any save: %r" % status)
        check(wait_until(lambda: wine.run_probe("message-box", 0)[0] != 0, 5), "运行状况 box did not close")

        # Integer entry: only "-" and digits get in.
        wine.run_probe("set-text", RESTART_HOURS_BOX, "")
        check(session.controls()[RESTART_HOURS_BOX]["text"] == "1", "emptied period box does not show 1")
        wine.run_probe("type", RENEW_HOURS_BOX, "x5y-")
        typed = session.controls()[RENEW_HOURS_BOX]["text"]
        check("5" in typed and "-" in typed and not set(typed) - set("0123456789-"),
              "integer entry let through %r" % typed)
        wine.run_probe("set-text", RENEW_HOURS_BOX, "0")
        check(session.controls()[RENEW_HOURS_BOX]["text"] == "1", "period 0 is not repaired to 1")
        # Typed by hand over the whole text: "0" turns into "1" at once as well.
        wine.run_probe("retype", RESTART_HOURS_BOX, "0")
        check(session.controls()[RESTART_HOURS_BOX]["text"] == "1", "typed period 0 is not repaired to 1")

        if args.screenshot:
            take_screenshot(window, args.screenshot)
    finally:
        session.close()


# An existing SkinH_EL.dll is never replaced nor made hidden; only this program's own library (the same
# bytes) is handed the skins, and beside any other file of that name the program comes up unskinned.
# Another program's library here ends the process when its SkinH_AttachRes is called.
EXISTING_LIBRARIES = {
    "own": (lambda args: pathlib.Path(args.skin_library).read_bytes(), True),
    "own-and-more": (lambda args: pathlib.Path(args.skin_library).read_bytes() + b"\0korvan-e2e-marker", False),
    "another-programs": (lambda args: pathlib.Path(args.foreign_skin_library).read_bytes(), False),
    "no-library": (lambda args: b"this is no library", False),
}


def case_existing_library_kept(wine, args, directory):
    failures = []
    for name, (content, skinned) in EXISTING_LIBRARIES.items():
        folder = pathlib.Path(directory) / name
        folder.mkdir()
        library = folder / "SkinH_EL.dll"
        original = content(args)
        library.write_bytes(original)
        session = Session(wine, args.korvan, folder)
        try:
            code, boxes = wine.run_probe("message-box", 20000)
            check(session.process.poll() is None, "the program ended (exit code %r)" % session.process.poll())
            check(code == 0 and boxes and boxes[0]["caption"] == INFORMATION_CAPTION,
                  "expected the first-use box, got %r" % boxes)
            check(library.read_bytes() == original, "an existing SkinH_EL.dll was replaced")
            check(not dos_attributes(library) & HIDDEN, "an existing SkinH_EL.dll was made hidden")
            took_over = session.controls()[SAVE_BUTTON]["style"] & 0xF == BS_OWNERDRAW
            check(took_over == skinned, "the skin %s the button" % ("did not take over" if skinned else "took over"))
        except Failure as failure:
            failures.append("%s: %s" % (name, failure))
        finally:
            session.close()
    check(not failures, "; ".join(failures))


def case_library_cannot_be_written(wine, args, directory):
    # A link to nowhere: Wine shows no file of that name, and writing through it fails.
    library = pathlib.Path(directory) / "SkinH_EL.dll"
    library.symlink_to(pathlib.Path(directory) / "missing folder" / "SkinH_EL.dll")
    session = Session(wine, args.korvan, directory)
    try:
        box = session.message_box()
        check(box["caption"] == RUNTIME_ERROR_CAPTION, "run-time error caption %r" % box["caption"])
        check(MISSING_EXPORT_MESSAGE in box["texts"], "run-time error texts %r" % box["texts"])
        wine.run_probe("dismiss")
        try:
            code = session.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after the run-time error")
        check(code != 0, "the program ended with exit code 0 after the run-time error")
    finally:
        session.close()


def case_configured_start(wine, args, directory):
    # Starts a renewal worker at once: only for builds whose hosts are all on 127.0.0.1.
    (pathlib.Path(directory) / "korvan.ini").write_bytes("[登录配置]\r\nuser=tester\r\n".encode("gbk"))
    session = Session(wine, args.korvan, directory)
    try:
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        code, _ = wine.run_probe("message-box", 3000)
        check(code != 0, "a configured start showed a message box")
        controls = session.controls()
        shown = [controls[i]["text"] for i in (1008, PASSWORD_BOX, RENEW_HOURS_BOX, RESTART_HOURS_BOX)]
        check(shown == ["tester", "", "1", "1"], "boxes after loading %r" % shown)
        check(wait_until(lambda: session.controls()[STATUS_LABEL]["text"] == PAUSED, 5),
              "status is not paused without a password")
        # The first worker reads the user name through the window and logs its failed login there.
        check(wait_until(lambda: "tester 登录失败！" in session.controls()[LOG_BOX]["text"], 60),
              "the first renewal worker logged nothing")
        wine.run_probe("set-text", PASSWORD_BOX, "pw")
        check(wait_until(lambda: session.controls()[STATUS_LABEL]["text"] == ABNORMAL, 5),
              "status is not abnormal before a login succeeded")
        wine.run_probe("click", SAVE_BUTTON)
        check(wait_until(lambda: SAVED in session.controls()[LOG_BOX]["text"], 40), "no save message in the log")
        ini = (pathlib.Path(directory) / "korvan.ini").read_bytes().decode("gbk")
        check("pass=pw" in ini and "user=tester" in ini, "korvan.ini after saving: %r" % ini)
    finally:
        session.close()


def case_keyboard(wine, args, directory):
    # The form from the keyboard alone: Tab and Shift+Tab go round user, pass, the two periods, the
    # save button and the log area; Enter or Space on the button saves, Enter in a box does not.
    session = Session(wine, args.korvan, directory)
    try:
        session.message_box()
        wine.run_probe("dismiss")
        check(wait_until(lambda: wine.run_probe("message-box", 0)[0] != 0, 5), "first-use box did not close")
        before = session.controls()
        steps = [
            (["tab"], 1008, 0), (["tab"], PASSWORD_BOX, 0), (["tab"], RENEW_HOURS_BOX, 0),
            (["tab"], RESTART_HOURS_BOX, 0), (["tab"], SAVE_BUTTON, 0), (["tab"], LOG_BOX, 0),
            (["tab"], 1008, 0), (["shift+tab"], LOG_BOX, 0), (["shift+tab"], SAVE_BUTTON, 0),
            (["enter"], SAVE_BUTTON, 1), (["space"], SAVE_BUTTON, 2), (["shift+tab"], RESTART_HOURS_BOX, 2),
            (["enter"], RESTART_HOURS_BOX, 2), (["shift+tab", "shift+tab", "shift+tab"], 1008, 2),
            (["shift+tab", "shift+tab"], SAVE_BUTTON, 2),
        ]
        def focused():
            # A probe that found no window under load prints nothing: read again rather than fail.
            lines = wine.run_probe("focus")[1]
            return lines[0]["focus"] if lines else -1

        for keys, focus, saves in steps:
            code, _ = wine.run_probe("keys", *keys)
            check(code == 0, "window_probe keys %r failed" % keys)
            shown = wait_until(lambda: focused() == focus and
                               session.controls()[LOG_BOX]["text"].count(SAVED) == saves, 10)
            got = (focused(), session.controls()[LOG_BOX]["text"].count(SAVED))
            check(shown, "after %r: focus %d and %d saves, expected %d and %d" % (keys, got[0], got[1], focus, saves))
        check((pathlib.Path(directory) / "korvan.ini").is_file(), "Enter on the button wrote no korvan.ini")
        after = session.controls()
        for control_id in FORM:
            check((after[control_id]["left"], after[control_id]["top"]) == (before[control_id]["left"],
                                                                           before[control_id]["top"]),
                  "%s moved" % FORM[control_id][0])
        # Tab moved the focus only: no tab character went into a box.
        shown = [after[i]["text"] for i in (1008, PASSWORD_BOX, RENEW_HOURS_BOX, RESTART_HOURS_BOX)]
        check(shown == ["", "", "10", "24"], "boxes after the keys %r" % shown)
    finally:
        session.close()


def skin_window_colour(skin_file):
    for line in pathlib.Path(skin_file).read_text("ascii").splitlines():
        key, _, value = line.partition(" ")
        if key == "window":
            return value.upper()
    raise Failure("skin file without a window colour")


def take_screenshot(window, path):
    # The whole outer window; without a window manager Wine draws no frame, so this is the client.
    geometry = "%dx%d+%d+%d" % (window["width"], window["height"], window["left"], window["top"])
    subprocess.run(["import", "-window", "root", "-crop", geometry, str(path)], check=False, timeout=30)


class Display:
    """DISPLAY as given, or an own Xvfb for the run, its screen of the given size."""

    def __init__(self, screen="1024x768"):
        self.server = None
        self.screen = screen

    def __enter__(self):
        if os.environ.get("DISPLAY"):
            return self
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen + "x24"],
                                       pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        end = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < end:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise Failure("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        if self.server:
            self.server.terminate()
            self.server.wait(timeout=10)


def run_cases(names, run, prefix, errors=(Failure, subprocess.TimeoutExpired)):
    """Runs each named case in a fresh temporary folder as run(name, directory), printing one ok or
    FAIL line (and whatever text run gives back) per case; the count of failed cases."""
    failures = 0
    for name in names:
        with tempfile.TemporaryDirectory(prefix=prefix) as directory:
            started = time.monotonic()
            try:
                trailer = run(name, directory)
                print("ok   %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
                if trailer:
                    print(trailer, flush=True)
            except errors as failure:
                failures += 1
                print("FAIL %s: %s" % (name, failure), flush=True)
    return failures


def panel_driver_arguments(default_cases, add_arguments=None):
    """The arguments every driver against the fake panel takes, plus its own; None (after saying
    why) when no throwaway Wine prefix is named."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--korvan", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--site-port", type=int, required=True)
    parser.add_argument("--time-port", type=int, required=True)
    if add_arguments:
        add_arguments(parser)
    parser.add_argument("cases", nargs="*", default=list(default_cases))
    args = parser.parse_args()
    if not os.environ.get("WINEPREFIX"):
        print("WINEPREFIX must name a throwaway prefix", file=sys.stderr)
        return None
    return args


@contextlib.contextmanager
def shared_wineserver(args):
    """A virtual display and one wineserver for a whole driver run. Under ctest the prefix fixture owns the server. The server and its helper
    processes (services, desktop) start here with no pipe of ours: started by a probe, they would
    hold the probe's output pipe open for as long as they live."""
    with Display():
        if os.environ.get("KORVAN_SHARED_WINESERVER"):
            yield  # ctest's prefix fixture started it and stops it
            return
        wineserver = shutil.which("wineserver") or "/usr/lib/wine/wineserver64"
        subprocess.run([wineserver, "-p"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run([args.wine, args.probe, "wait", "1"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=240)
        try:
            yield
        finally:
            subprocess.run([wineserver, "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


CASES = {
    "first-start": case_first_start,
    "existing-library-kept": case_existing_library_kept,
    "library-cannot-be-written": case_library_cannot_be_written,
    "configured-start": case_configured_start,
    "keyboard": case_keyboard,
}
DEFAULT_CASES = ["first-start", "existing-library-kept", "library-cannot-be-written", "keyboard"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--korvan", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--skin-library", required=True, help="the built SkinH_EL.dll")
    parser.add_argument("--foreign-skin-library", required=True, help="another program's SkinH_EL.dll")
    parser.add_argument("--skin-file", required=True, help="skin03.she")
    parser.add_argument("--maker", required=True)
    parser.add_argument("--signup", required=True)
    parser.add_argument("--screenshot")
    parser.add_argument("cases", nargs="*", help="of %s; default %s" % (list(CASES), DEFAULT_CASES))
    args = parser.parse_args()
    if not os.environ.get("WINEPREFIX"):
        print("WINEPREFIX must name a throwaway prefix", file=sys.stderr)
        return 2

    cases = args.cases or DEFAULT_CASES
    unknown = [name for name in cases if name not in CASES]
    if unknown:
        print("unknown cases %r" % unknown, file=sys.stderr)
        return 2
    wine = Wine(args.wine, args.probe)
    with Display():
        failures = run_cases(cases, lambda name, directory: CASES[name](wine, args, directory), "korvan-e2e-")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
