#!/usr/bin/env python3
"""Runs the Windows-side measurements and writes docs/performance.md from them and from the runtime
benchmarks' JSON; called by scripts/bench, which builds everything first. Every figure in the
report comes from this run; a figure that could not be taken says so.

    bench_report.py --runtime-json FILE --runtime-command TEXT --windows-build DIR --out FILE
                    [--site-port 18930 --time-port 18931] [--runs 5] [--idle-seconds 60] [--soak-runs 1000]
                    [--plan-table FILE --plan-command TEXT]
    bench_report.py --plan-only --plan-table FILE --plan-command TEXT --out FILE

--plan-only puts the plan's section (f) into an existing report and leaves the rest as it stands.

Standard library only. Uses its own Wine prefix (DIR/bench-wineprefix) and an own Xvfb unless
DISPLAY is set.
"""
import argparse
import datetime
import json
import os
import pathlib
import platform
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "tools"))
import fake_panel  # noqa: E402
import korvan_e2e  # noqa: E402
import renewal_e2e  # noqa: E402

NOT_MEASURED = "not measured in this run"
RENEWAL_PATHS = {"/user/usertop_login.asp", "/user/vpsadm.asp", "/vpsadm/selfvpsmodifyrepay.asp",
                 "/vpsadm/selfvpsmodifyendtime.asp"}
# One successful run: 4 panel pages (login, VPS list, renewal page, renewal) and 3 time pages (one per
# log entry), strictly one after another.
ANSWERS_PER_RUN = 7


def shown(command):
    """A command as the report shows it: paths under the tree relative to it."""
    parts = ["python3" if part == sys.executable else part for part in command]
    return " ".join(shlex.quote(part.replace(str(ROOT) + "/", "")) for part in parts)


def windows_path(path):
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def read_first(path, key):
    try:
        for line in pathlib.Path(path).read_text().splitlines():
            if line.startswith(key):
                return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "unknown"


def machine():
    wine = subprocess.run([wine_loader(), "--version"], capture_output=True, text=True, timeout=30).stdout.strip()
    memory_kib = read_first("/proc/meminfo", "MemTotal").split()[0]
    return [
        ("cores (nproc)", subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()),
        ("CPU", read_first("/proc/cpuinfo", "model name")),
        ("memory", "%.1f GiB" % (int(memory_kib) / 1024 / 1024) if memory_kib.isdigit() else memory_kib),
        ("system", "%s %s" % (platform.system(), platform.release())),
        ("Wine", wine or "unknown"),
        ("date", datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")),
    ]


def wine_loader():
    return "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine64"


# --- (a) runtime benchmarks ------------------------------------------------------------------------

def runtime_rows(results_path):
    runs = json.loads(pathlib.Path(results_path).read_text())["benchmarks"]
    medians = {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}
    chosen = medians or {r["run_name"]: r for r in runs if r.get("run_type") != "aggregate"}
    unit = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
    cpu = {name: r["cpu_time"] * unit[r["time_unit"]] for name, r in chosen.items() if not r.get("error_occurred")}
    pairs = [
        ("FindText, Chinese marker at the end of a 1 MiB page", "FindTextOnPage/chinese_marker",
         "string_view::find", "StringViewFindOnPage/chinese_marker"),
        ("FindText, ASCII marker", "FindTextOnPage/ascii_marker", "string_view::find",
         "StringViewFindOnPage/ascii_marker"),
        ("FindText, ASCII marker, ignoring case", "FindTextOnPage/ascii_marker_ignore_case",
         "string_view::find (case-sensitive)", "StringViewFindOnPage/ascii_marker"),
        ("FindText, dense Chinese text", "FindTextOnPage/dense_chinese", "string_view::find",
         "StringViewFindOnPage/dense_chinese"),
        ("MergeCookies, two 3,000-byte cookie texts", "MergeCookiesOf3000Bytes",
         "std::unordered_map merge", "StdMergeCookiesOf3000Bytes"),
        ("UrlDecodeText, 1 MiB answer, bytes only", "UrlDecodeAnswer/bytes_only",
         "plain std::string percent-decoder", "StdPercentDecodeAnswer"),
        ("UrlDecodeText, 1 MiB answer, UTF-8 to code page 936", "UrlDecodeAnswer/utf8_to_936",
         "plain std::string percent-decoder (no conversion)", "StdPercentDecodeAnswer"),
    ]
    rows = []
    for what, own, reference_name, reference in pairs:
        if own in cpu and reference in cpu:
            rows.append((what, format_ns(cpu[own]), reference_name, format_ns(cpu[reference]),
                         "%.2fx" % (cpu[own] / cpu[reference])))
        else:
            rows.append((what, NOT_MEASURED, reference_name, NOT_MEASURED, "-"))
    return rows, "median of the repetitions" if medians else "single runs"


def format_ns(ns):
    if ns >= 1e6:
        return "%.2f ms" % (ns / 1e6)
    if ns >= 1e3:
        return "%.1f us" % (ns / 1e3)
    return "%.0f ns" % ns


# --- (b) start-up ---------------------------------------------------------------------------------

def time_startup_once(build, program, class_name, folder):
    """startup_timer.exe on a fresh copy of the program in an empty folder; None when no window showed."""
    timer = build / "tests" / "windows" / "startup_timer.exe"
    folder.mkdir()
    copy = folder / program.name
    shutil.copy(program, copy)
    with tempfile.TemporaryFile() as output:
        subprocess.run([wine_loader(), str(timer), class_name, windows_path(copy), "2000"], stdout=output,
                       stderr=subprocess.DEVNULL, timeout=120)
        output.seek(0)
        lines = [line for line in output.read().decode().splitlines() if line.startswith("{")]
    return json.loads(lines[-1]) if lines else None


def time_startups(build, programs, runs, scratch):
    """Samples of each (program, class) pair, taken in turns so that a slow spell of the machine falls
    on every program alike; one unrecorded warm-up round first."""
    results = [[] for _ in programs]
    for run in range(runs + 1):
        for index, (program, class_name) in enumerate(programs):
            sample = time_startup_once(build, program, class_name, scratch / ("%s-%d" % (program.stem, run)))
            if sample and run > 0:
                results[index].append(sample)
    return results


def startup_rows(build, runs, scratch, commands):
    korvan = build / "src" / "app" / "korvan.exe"
    minimal = build / "tests" / "windows" / "minimal_window.exe"
    styled = build / "tests" / "windows" / "minimal_window_styled.exe"
    commands.append("wine startup_timer.exe KorvanMainWindow <fresh copy of korvan.exe> 2000")
    commands.append("wine startup_timer.exe KorvanMinimalWindow <fresh copy of minimal_window.exe> 2000")
    commands.append("wine startup_timer.exe KorvanMinimalWindow <fresh copy of minimal_window_styled.exe> 2000")
    commands.append("(the three in turns, x%d each, after one warm-up round)" % runs)
    own, floor, floor_styled = time_startups(
        build, [(korvan, "KorvanMainWindow"), (minimal, "KorvanMinimalWindow"), (styled, "KorvanMinimalWindow")],
        runs, scratch)
    rows = []
    if own and floor:
        own_ms = statistics.median(r["startupMs"] for r in own)
        floor_ms = statistics.median(r["startupMs"] for r in floor)
        rows.append(("start-up to the main window shown, median of %d" % len(own), "%.0f ms" % own_ms,
                     "empty Win32 window (minimal_window.exe), median of %d" % len(floor), "%.0f ms" % floor_ms,
                     "%.2fx" % (own_ms / floor_ms)))
        if floor_styled:
            styled_ms = statistics.median(r["startupMs"] for r in floor_styled)
            rows.append(("the empty window with korvan.exe's manifest, Common Controls 6 loaded, median of %d"
                         % len(floor_styled), "%.0f ms" % styled_ms, "empty Win32 window", "%.0f ms" % floor_ms,
                         "%.2fx" % (styled_ms / floor_ms)))
        own_private = statistics.median(r["privateBytes"] for r in own)
        floor_private = statistics.median(r["privateBytes"] for r in floor)
        rows.append(("private memory 2 s after the window is shown", "%.1f MiB" % (own_private / 2 ** 20),
                     "minimal_window.exe, same moment", "%.1f MiB" % (floor_private / 2 ** 20),
                     "%.2fx" % (own_private / floor_private)))
        own_ws = statistics.median(r["workingSet"] for r in own)
        floor_ws = statistics.median(r["workingSet"] for r in floor)
        rows.append(("working set, same moment", "%.1f MiB" % (own_ws / 2 ** 20), "minimal_window.exe",
                     "%.1f MiB" % (floor_ws / 2 ** 20), "%.2fx" % (own_ws / floor_ws)))
        samples = "; ".join("%s %s ms" % (name, ", ".join("%.0f" % r["startupMs"] for r in taken))
                            for name, taken in (("korvan.exe", own), ("minimal_window.exe", floor),
                                                ("minimal_window_styled.exe", floor_styled)))
    else:
        rows.append(("start-up to the main window shown", NOT_MEASURED, "empty Win32 window", NOT_MEASURED, "-"))
        samples = "no samples (the timer found no window)"
    rows.append(("korvan.exe file size", "%.2f MiB (%d bytes)" % (korvan.stat().st_size / 2 ** 20, korvan.stat().st_size),
                 "minimal_window.exe", "%d bytes" % minimal.stat().st_size,
                 "%.1fx" % (korvan.stat().st_size / minimal.stat().st_size)))
    return rows, samples


# --- (c) one renewal run ----------------------------------------------------------------------------

def renewal_run_seconds(wine, korvan, site_port, time_port, delay_ms, scratch, index):
    """Seconds from the login request's arrival to the end of the last (third) time-page answer."""
    stamps = []
    panel = fake_panel.FakePanel("success", site_port, time_port, delay_ms=delay_ms)
    record = panel.state.record

    def timed_record(entry):
        stamps.append((time.monotonic(), entry["server"], entry["path"].split("?")[0]))
        record(entry)

    panel.state.record = timed_record
    folder = scratch / ("renewal-%d-%d" % (delay_ms, index))
    folder.mkdir()
    renewal_e2e.write_ini(folder)
    session = None
    try:
        session = korvan_e2e.Session(wine, korvan, folder)

        def finished():
            run = [s for s in stamps if s[1] == "time" or s[2] in RENEWAL_PATHS]
            return run if len(run) >= ANSWERS_PER_RUN else None

        run = korvan_e2e.wait_until(finished, 90, step=0.1)
        if not run:
            return None
        time.sleep(delay_ms / 1000 + 0.2)
        start = next(t for t, server, path in run if path == "/user/usertop_login.asp")
        return run[ANSWERS_PER_RUN - 1][0] + delay_ms / 1000 - start
    finally:
        if session:
            session.close()
        panel.close()


def renewal_rows(build, site_port, time_port, runs, scratch, commands):
    wine = korvan_e2e.Wine(wine_loader(), str(build / "tests" / "windows" / "window_probe.exe"))
    korvan = build / "src" / "app" / "korvan.exe"
    commands.append("korvan.exe (configured start) against tools/fake_panel.py --panel-port %d --time-port %d "
                    "--delay-ms 50, x%d; the same with --delay-ms 0" % (site_port, time_port, runs))
    rows = []
    for delay in (50, 0):
        times = [renewal_run_seconds(wine, korvan, site_port, time_port, delay, scratch, i) for i in range(runs)]
        times = [t for t in times if t is not None]
        if not times:
            rows.append(("one renewal run, %d ms per answer" % delay, NOT_MEASURED, "-", "-", "-"))
            continue
        median_ms = statistics.median(times) * 1000
        if delay:
            floor_ms = ANSWERS_PER_RUN * delay
            rows.append(("one renewal run, %d ms added to every answer, median of %d" % (delay, len(times)),
                         "%.0f ms" % median_ms, "floor: %d answers x %d ms" % (ANSWERS_PER_RUN, delay),
                         "%d ms" % floor_ms, "%.2fx" % (median_ms / floor_ms)))
        else:
            rows.append(("one renewal run, no added delay (the client's own cost), median of %d" % len(times),
                         "%.0f ms" % median_ms, "-", "-", "-"))
    return rows


# --- (d) idle, (e) soak ---------------------------------------------------------------------------------

def run_to_file(command, timeout):
    """Runs a command with its output in a file, not a pipe: a wineserver that the command starts
    inherits the output and would hold a pipe open long after the command ended."""
    with tempfile.TemporaryFile() as output:
        try:
            code = subprocess.run(command, stdout=output, stderr=subprocess.DEVNULL, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            code = None
        output.seek(0)
        return code, output.read().decode("utf-8", "replace")


def idle_rows(build, seconds, commands):
    tool = ROOT / "tools" / "measure_idle.py"
    if not tool.exists():
        return [("idle CPU and memory", NOT_MEASURED, "-", "-", "-")]
    command = [sys.executable, str(tool), "--korvan", str(build / "src" / "app" / "korvan.exe"), "--seconds",
               str(seconds), "--mode", "first-use", "--probe", str(build / "tests" / "windows" / "window_probe.exe")]
    commands.append(shown(command))
    code, text = run_to_file(command, seconds + 300)
    lines = [line for line in text.splitlines() if line.startswith("{")]
    if code != 0 or not lines:
        return [("idle CPU and memory", NOT_MEASURED + " (measure_idle.py failed)", "-", "-", "-")]
    figures = json.loads(lines[-1])
    return [
        ("idle CPU of korvan.exe over %s s (first-use state)" % figures.get("seconds"),
         "%.3f %% of one core" % figures["cpu_percent_of_one_core"], "wineserver over the same span",
         "%s %% of one core" % figures.get("wineserver_cpu_percent_of_one_core"), "-"),
        ("idle memory (Linux VmRSS / RssAnon, start -> end)",
         "%s -> %s KiB / %s -> %s KiB" % (figures.get("vm_rss_kib_start"), figures.get("vm_rss_kib_end"),
                                          figures.get("rss_anon_kib_start"), figures.get("rss_anon_kib_end")),
         "-", "-", "-"),
    ]


def soak_rows(build, site_port, time_port, runs, commands):
    soak = build / "tests" / "windows" / "korvan_renewal_soak.exe"
    if not soak.exists():
        return [("memory after many renewal runs", NOT_MEASURED + " (no soak executable in this build)",
                 "-", "-", "-")]
    command = [sys.executable, str(ROOT / "tools" / "fake_panel.py"), "--panel-port", str(site_port), "--time-port",
               str(time_port), "--max-seconds", str(30 + 2 * runs), "--", wine_loader(), str(soak), "--runs", str(runs)]
    commands.append(shown(command))
    code, text = run_to_file(command, 90 + 2 * runs)
    lines = [line for line in text.splitlines() if line.startswith("{")]
    if not lines:
        ending = "timed out" if code is None else "ended with %s" % code
        return [("memory after many renewal runs", NOT_MEASURED + " (the soak %s without figures)" % ending,
                 "-", "-", "-")]
    figures = json.loads(lines[-1])
    verdict = "" if figures.get("passed") else " (the soak reported a failure)"
    at_ten, at_end = figures["private_bytes_at_10"], figures["private_bytes_at_end"]
    return [
        ("private memory after %s renewal runs in one process%s" % (figures["runs"], verdict),
         "%.2f MiB" % (at_end / 2 ** 20), "the same process after 10 runs", "%.2f MiB" % (at_ten / 2 ** 20),
         "%.3fx" % (at_end / at_ten)),
        ("handles / threads after %s runs" % figures["runs"],
         "%s / %s" % (figures["handles_at_end"], figures["threads_at_end"]), "after 10 runs",
         "%s / %s" % (figures["handles_at_10"], figures["threads_at_10"]), "-"),
        ("time for the %s runs (fake panel, no added delay)" % figures["runs"], "%.1f s" % figures["seconds"],
         "-", "-", "-"),
    ]


# --- (f) the plan -------------------------------------------------------------------------------------------

PLAN_HEADING = "## (f) Renew on time: the plan against the plain schedule"


def plan_section(table_path, command):
    """The section from korvan_plan_simulation's Markdown; the replay is seeded, so it is the same on any machine."""
    try:
        table = pathlib.Path(table_path).read_text().strip() if table_path else ""
    except OSError:
        table = ""
    return f"""{PLAN_HEADING}

`korvan_plan_simulation` (tools/plan_simulation/plan_simulation.cpp; the model in tools/plan_simulation/plan_replay.h)
replays renewal windows against a simulated panel that takes the free renewal only in the last 24
hours before the expiry and is down for random spells (outages of 2 minutes to 8 hours about every
10 hours, a maintenance of 2 to 30 hours near the opening in one window of ten, a few hours of
flapping every few minutes in one of seven). Both schedules have the same 10-hour runs; the plan's
runs come on top. Requests are counted from a day before the opening to the expiry: a renewal run 4,
a check 3, a run against a panel that is down 1. The replay is seeded, so the figures do not depend
on the machine; `scripts/bench --plan-only` regenerates this section alone.

{table or NOT_MEASURED}

Command:

    {command or "(none)"}
"""


def with_plan_section(report, section):
    """The report with its plan section replaced by this one, or this one added at the end."""
    start = report.find(PLAN_HEADING)
    if start == -1:
        return report.rstrip("\n") + "\n\n" + section
    end = report.find("\n## ", start + len(PLAN_HEADING))
    return report[:start] + section + ("" if end == -1 else report[end:])


# --- report -----------------------------------------------------------------------------------------------

def table(rows):
    lines = ["| measurement | Korvan | reference | reference figure | ratio |", "|---|---|---|---|---|"]
    lines += ["| %s |" % " | ".join(row) for row in rows]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runtime-json")
    parser.add_argument("--runtime-command")
    parser.add_argument("--windows-build", type=pathlib.Path)
    parser.add_argument("--out", required=True, type=pathlib.Path)
    parser.add_argument("--plan-table")
    parser.add_argument("--plan-command")
    parser.add_argument("--plan-only", action="store_true")
    parser.add_argument("--site-port", type=int, default=18930)
    parser.add_argument("--time-port", type=int, default=18931)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--startup-runs", type=int, default=21)
    parser.add_argument("--idle-seconds", type=int, default=60)
    parser.add_argument("--soak-runs", type=int, default=1000)
    args = parser.parse_args()
    if args.plan_only:
        section = plan_section(args.plan_table, args.plan_command)
        args.out.write_text(with_plan_section(args.out.read_text(encoding="utf-8"), section), encoding="utf-8")
        print(section)
        return 0
    if not (args.runtime_json and args.runtime_command and args.windows_build):
        parser.error("--runtime-json, --runtime-command and --windows-build are needed unless --plan-only")
    build = args.windows_build.resolve()

    os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
    os.environ["WINEPREFIX"] = str(build / "bench-wineprefix")
    subprocess.run([str(ROOT / "tools" / "wine" / "prefix"), "setup"], check=True, timeout=300)
    commands = {"runtime": [args.runtime_command], "startup": [], "renewal": [], "idle": [], "soak": []}
    try:
        with korvan_e2e.Display(), tempfile.TemporaryDirectory(prefix="korvan-bench-") as scratch:
            scratch = pathlib.Path(scratch)
            runtime, runtime_basis = runtime_rows(args.runtime_json)
            startup, startup_samples = startup_rows(build, args.startup_runs, scratch, commands["startup"])
            renewal = renewal_rows(build, args.site_port, args.time_port, args.runs, scratch, commands["renewal"])
            idle = idle_rows(build, args.idle_seconds, commands["idle"])
            soak = soak_rows(build, args.site_port, args.time_port, args.soak_runs, commands["soak"])
            machine_rows = machine()
    finally:
        subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def command_block(name):
        return "\n".join("    " + line for line in commands[name]) if commands[name] else "    (none)"

    report = f"""# Korvan performance

Generated by `scripts/bench`; every figure below comes from one run of it on the machine described
here, each beside a reference measured in the same run. Do not edit by hand: run `scripts/bench` again.

## Machine

{chr(10).join("- %s: %s" % row for row in machine_rows)}

## (a) Text operations against the standard library

CPU time per call ({runtime_basis}), Release build, Google Benchmark (`tests/bench`), native Linux.

{table(runtime)}

Command:

{command_block("runtime")}

## (b) Start-up and size of korvan.exe under Wine

From process creation to the main window being visible, found by `startup_timer.exe` polling the
top-level windows every millisecond; each run starts a fresh copy in an empty folder (first use:
korvan.exe writes SkinH_EL.dll and opens its first-use box after the window). The programs are
started in turns, so that a slow spell of the machine falls on all alike; the empty window is also
measured with korvan.exe's manifest and Common Controls 6 loaded (minimal_window_styled.exe), as
the visual styles cost start-up time of their own. Memory is read 2 s after the window is shown
(Windows private bytes and working set, as Wine reports them).

{table(startup)}

Samples: {startup_samples}.

Commands:

{command_block("startup")}

## (c) One renewal run against the fake panel

korvan.exe with a ready korvan.ini (configured start, the run begins at once) against
`tools/fake_panel.py`, which holds every answer back by the added delay. Measured on the server side
from the arrival of the login request to the end of the seventh answer (4 panel pages and 3 time
pages, one after another); the floor is 7 x the delay.

{table(renewal)}

Commands:

{command_block("renewal")}

## (d) Idle CPU and memory

{table(idle)}

Commands:

{command_block("idle")}

## (e) Memory after many runs

`korvan_renewal_soak.exe` (tests/windows/app/worker/renewal_soak.cpp) runs the renewal worker many times in one
process with the real main window against the fake panel and reads its own handles, threads and
private bytes after 10 runs and at the end.

{table(soak)}

Commands:

{command_block("soak")}

{plan_section(args.plan_table, args.plan_command)}"""
    args.out.write_text(report, encoding="utf-8")
    print(report)
    return 0


if __name__ == "__main__":
    sys.exit(main())
