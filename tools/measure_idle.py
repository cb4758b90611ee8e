#!/usr/bin/env python3
"""What korvan.exe costs while it waits: CPU time and memory of an idle instance under Wine.

  measure_idle.py --korvan PATH [--seconds N] [--mode first-use|configured] [--probe window_probe.exe]
                  [--site-port P --time-port P] [--warmup S]

Starts korvan.exe in a fresh temporary directory, lets it settle for --warmup seconds, then samples
the Linux process that runs it (the Wine process whose command line names korvan.exe) and again
after --seconds (default 600). CPU is utime+stime from /proc/<pid>/stat over the wall time, as a
percentage of one core; wineserver's CPU over the same span is reported beside it, since every
timer tick and window message of the program passes through it. Memory is the Linux view of the
process (VmRSS and RssAnon from /proc/<pid>/status): the Windows private bytes cannot be read from
outside the Wine process.

Modes:
  first-use   no korvan.ini: the first-use message box (dismissed when --probe is given) and the
              status timer ticking in the paused state. No network traffic except the notice view.
  configured  a korvan.ini with 596-hour periods; with --site-port/--time-port the fake panel
              (tools/fake_panel.py) answers the first run on those ports, which must be the ones the
              build was made for. Without them the first run fails at once (nothing listens).

Needs WINEPREFIX (a throwaway prefix) or makes one in the temporary directory; uses DISPLAY or an
own Xvfb. Standard library only. The last line of output is one JSON object with the figures.
"""
import argparse
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def processes():
    for entry in pathlib.Path("/proc").iterdir():
        if entry.name.isdigit():
            yield int(entry.name)


def read_cmdline(pid):
    try:
        return pathlib.Path("/proc/%d/cmdline" % pid).read_bytes().replace(b"\0", b" ").decode("utf-8", "replace")
    except OSError:
        return ""


def read_environ(pid):
    try:
        raw = pathlib.Path("/proc/%d/environ" % pid).read_bytes()
    except OSError:
        return {}
    pairs = (item.partition(b"=") for item in raw.split(b"\0") if item)
    return {key.decode("utf-8", "replace"): value.decode("utf-8", "replace") for key, _, value in pairs}


def cpu_seconds(pid):
    """utime+stime of the process in seconds, None when it is gone."""
    try:
        stat = pathlib.Path("/proc/%d/stat" % pid).read_text()
    except OSError:
        return None
    # The command name may hold spaces: the fields after it start behind the last ")".
    fields = stat[stat.rindex(")") + 2:].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def memory_kib(pid):
    figures = {}
    try:
        for line in pathlib.Path("/proc/%d/status" % pid).read_text().splitlines():
            key, _, value = line.partition(":")
            if key in ("VmRSS", "RssAnon"):
                figures[key] = int(value.split()[0])
    except OSError:
        pass
    return figures


def find_korvan(directory, seconds):
    """The pid of the process running korvan.exe out of directory."""
    end = time.monotonic() + seconds
    marker = pathlib.Path(directory).name
    while time.monotonic() < end:
        for pid in processes():
            line = read_cmdline(pid)
            if "korvan.exe" in line and marker in line.replace("\\", "/"):
                return pid
        time.sleep(0.5)
    return None


def find_wineserver(prefix):
    for pid in processes():
        if "wineserver" in read_cmdline(pid) and read_environ(pid).get("WINEPREFIX") == prefix:
            return pid
    return None


# The same virtual display the end-to-end tests use.
sys.path.insert(0, str(HERE.parent / "tests" / "e2e"))
from korvan_e2e import Display  # noqa: E402


def write_ini(directory, user, password):
    text = ("[登录配置]\r\nuser=%s\r\npass=%s\r\n[监控续费时间]\r\ntime=596\r\n[重启软件时间]\r\ntime=596\r\n"
            % (user, password))
    (pathlib.Path(directory) / "korvan.ini").write_bytes(text.encode("gbk"))


def probe(args, *words):
    if not args.probe:
        return
    subprocess.run([args.wine, args.probe, *map(str, words)], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def measure(args, directory):
    panel = None
    if args.mode == "configured":
        user, password = "idle", "idle"
        if args.site_port and args.time_port:
            sys.path.insert(0, str(HERE))
            import fake_panel
            panel = fake_panel.FakePanel("success", args.site_port, args.time_port)
            user, password = fake_panel.USER, fake_panel.PASSWORD
        write_ini(directory, user, password)
    shutil.copy(args.korvan, pathlib.Path(directory) / "korvan.exe")
    program = subprocess.Popen([args.wine, str(pathlib.Path(directory) / "korvan.exe")], cwd=directory,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        pid = find_korvan(directory, 120)
        if pid is None:
            raise RuntimeError("no korvan.exe process appeared")
        probe(args, "wait", 30000)
        if args.mode == "first-use":
            probe(args, "dismiss")
        time.sleep(args.warmup)
        server = find_wineserver(os.environ["WINEPREFIX"])

        start_wall = time.monotonic()
        start_cpu = cpu_seconds(pid)
        start_server_cpu = cpu_seconds(server) if server else None
        start_memory = memory_kib(pid)
        time.sleep(args.seconds)
        wall = time.monotonic() - start_wall
        end_cpu = cpu_seconds(pid)
        end_server_cpu = cpu_seconds(server) if server else None
        end_memory = memory_kib(pid)
        if start_cpu is None or end_cpu is None:
            raise RuntimeError("korvan.exe ended during the measurement")

        figures = {
            "mode": args.mode,
            "seconds": round(wall, 1),
            "cpu_seconds": round(end_cpu - start_cpu, 3),
            "cpu_percent_of_one_core": round(100.0 * (end_cpu - start_cpu) / wall, 4),
            "wineserver_cpu_percent_of_one_core": (
                round(100.0 * (end_server_cpu - start_server_cpu) / wall, 4)
                if start_server_cpu is not None and end_server_cpu is not None else None),
            "vm_rss_kib_start": start_memory.get("VmRSS"),
            "vm_rss_kib_end": end_memory.get("VmRSS"),
            "rss_anon_kib_start": start_memory.get("RssAnon"),
            "rss_anon_kib_end": end_memory.get("RssAnon"),
            "memory_source": "linux /proc/<pid>/status of the wine process",
        }
        if panel:
            figures["panel_requests"] = len(panel.requests())
        return figures
    finally:
        probe(args, "close")
        try:
            program.wait(timeout=20)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait(timeout=10)
        if panel:
            panel.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--korvan", required=True)
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("--warmup", type=float, default=15)
    parser.add_argument("--mode", choices=("first-use", "configured"), default="first-use")
    parser.add_argument("--probe", help="window_probe.exe, to dismiss the first-use box and close the window")
    parser.add_argument("--site-port", type=int)
    parser.add_argument("--time-port", type=int)
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    args = parser.parse_args()
    args.korvan = os.path.abspath(args.korvan)

    os.environ.setdefault("WINEDEBUG", "-all")
    os.environ.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    os.environ.setdefault("LANG", "zh_CN.UTF-8")
    os.environ["LC_ALL"] = os.environ["LANG"]
    with tempfile.TemporaryDirectory(prefix="korvan-idle-") as scratch:
        own_prefix = not os.environ.get("WINEPREFIX")
        if own_prefix:
            os.environ["WINEPREFIX"] = os.path.join(scratch, "prefix")
        directory = os.path.join(scratch, "run")
        os.mkdir(directory)
        try:
            with Display():
                figures = measure(args, directory)
        finally:
            if own_prefix:
                subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               timeout=60)
    print("korvan.exe idle for %.0f s (%s): CPU %.3f s = %.4f %% of one core; wineserver %s %%"
          % (figures["seconds"], figures["mode"], figures["cpu_seconds"], figures["cpu_percent_of_one_core"],
             figures["wineserver_cpu_percent_of_one_core"]))
    print("memory (Linux view): VmRSS %s -> %s KiB, RssAnon %s -> %s KiB"
          % (figures["vm_rss_kib_start"], figures["vm_rss_kib_end"], figures["rss_anon_kib_start"],
             figures["rss_anon_kib_end"]))
    print(json.dumps(figures))
    return 0


if __name__ == "__main__":
    sys.exit(main())
