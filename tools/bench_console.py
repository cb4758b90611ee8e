#!/usr/bin/env python3
"""Measures korvan-cli.exe under Wine and writes its section (h) of docs/performance.md, in place of an
older one: `korvan-cli tick` with nothing due against tools/wine/minimal_console.exe, an empty console
program of the same toolchain, both started the same way with the prefix's wineserver kept up; and
korvan-cli.exe's size. Called by scripts/bench, which builds both (preset windows, its hosts at the
ports given here).

    bench_console.py --korvan-cli PATH --minimal PATH --wine LOADER --site-port N --time-port N --out FILE
                     [--runs 21]

Needs WINEPREFIX naming a throwaway prefix. Standard library only; the fake panel runs in this
process, on 127.0.0.1, for a first tick that must send nothing, and is closed before the timing.
"""
import argparse
import datetime
import os
import pathlib
import statistics
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tools"))
import fake_panel  # noqa: E402
# spawn waits blocking: subprocess.run(timeout=) polls in doubling sleeps, which would round each
# start up to 16, 32 or 64 ms.
from bench_cli import spawn, write_ini  # noqa: E402
from bench_sections import write_measured_section  # noqa: E402

HEADING = "## (h) korvan-cli.exe under Wine"
GOAL_RATIO = 1.5


def windows_path(path):
    return "Z:" + str(path.resolve()).replace("/", "\\")


def measure(args, scratch):
    config = write_ini(scratch)
    (scratch / "korvan-tick.ini").write_text("[tick]\r\nlastRunEnded=%d\r\n" % time.time())
    tick = [args.wine, args.korvan_cli, "tick", "--config", windows_path(config)]
    minimal = [args.wine, args.minimal]
    # A wineserver kept up for the whole measurement, as a logged-on Windows keeps its system up.
    server = subprocess.Popen(["wineserver", "-f", "-p"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        # The panel sees that such a tick sends nothing, and is closed before the timing: its threads in
        # this process made the empty program's start some 15 ms faster and the tick's hardly.
        with fake_panel.FakePanel(panel_port=args.site_port, time_port=args.time_port) as panel:
            spawn(minimal), spawn(tick)  # the prefix's first start
            if panel.requests() or panel.requests("time"):
                raise SystemExit("bench_console: a tick with nothing due sent requests")
        results = {"tick": [], "minimal": []}
        for _ in range(args.runs):  # interleaved, so that a slow moment costs both alike
            results["minimal"].append(spawn(minimal))
            results["tick"].append(spawn(tick))
        if any(code for _, code in results["tick"] + results["minimal"]):
            raise SystemExit("bench_console: a tick with nothing due failed")
    finally:
        subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        server.wait(timeout=30)
    return results


def section(args, results):
    tick_ms = statistics.median(s for s, _ in results["tick"]) * 1000
    minimal_ms = statistics.median(s for s, _ in results["minimal"]) * 1000
    size = pathlib.Path(args.korvan_cli).stat().st_size
    ratio = tick_ms / minimal_ms
    command = ("python3 tools/bench_console.py --korvan-cli %s --minimal %s --wine %s --site-port %d --time-port %d "
               "--runs %d" % (os.path.relpath(args.korvan_cli, ROOT), os.path.relpath(args.minimal, ROOT), args.wine,
                              args.site_port, args.time_port, args.runs))
    return f"""{HEADING}

The console program built by the `windows` preset (its hosts on the loopback ports below), under
`{args.wine}` with the prefix's wineserver kept running, {datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")}.
Wall time from the start of the loader to its exit, median of {args.runs}, the two programs started in
turn. The tick finds a run that ended a moment ago, so it reads korvan.ini, takes the lock and ends
without a request; the reference is an empty console program of the same toolchain, statically linked.

| measurement | korvan-cli.exe | minimal_console.exe | ratio |
|---|---|---|---|
| `korvan-cli tick` with nothing due, start to exit | {tick_ms:.0f} ms | {minimal_ms:.0f} ms | {ratio:.2f}x |
| size | {size / 1024 / 1024:.2f} MiB | - | - |

Goal: within {GOAL_RATIO}x the empty console program's start: {"met" if ratio <= GOAL_RATIO else "NOT met"}.

Command:

    {command}
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--korvan-cli", required=True)
    parser.add_argument("--minimal", required=True)
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--site-port", type=int, required=True)
    parser.add_argument("--time-port", type=int, required=True)
    parser.add_argument("--out", required=True, type=pathlib.Path)
    parser.add_argument("--runs", type=int, default=21)
    args = parser.parse_args()
    if not os.environ.get("WINEPREFIX"):
        raise SystemExit("bench_console: WINEPREFIX must name a throwaway prefix")
    return write_measured_section(args, HEADING, "korvan-bench-console-", measure, section)


if __name__ == "__main__":
    sys.exit(main())
