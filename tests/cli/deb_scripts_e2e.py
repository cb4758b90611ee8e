#!/usr/bin/env python3
"""The Debian package's maintainer scripts, run by dpkg on this machine (as root): install, an
account's timer enabled by hand, an upgrade to a higher version, remove, purge. A systemctl stub
first on PATH records what the scripts ask of systemd: as under a running systemd, with systemctl
failing there, with a policy-rc.d that forbids actions (as in a container), and without systemd.

  deb_scripts_e2e.py --deb build/package/korvan_VERSION_ARCH.deb

It runs in a mount namespace of its own, where /run/systemd (whether systemd runs),
/etc/systemd/system (the enable links) and /var/lib/private are empty and /usr/sbin/policy-rc.d is
the test's, so that the machine's own are never touched. It ends with korvan purged, as the deb
stage of scripts/test installs it next; it refuses to start where /var/lib/korvan exists, which the
purge would take away.
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
from korvan_e2e import check  # noqa: E402

IN_NAMESPACE = "--in-namespace"
ISOLATED = ["/run/systemd", "/etc/systemd/system", "/var/lib/private"]
WANTS = pathlib.Path("/etc/systemd/system/timers.target.wants")
ACCOUNT_LINK = WANTS / "korvan@alice.timer"
OTHER_LINK = WANTS / "other.timer"  # not korvan's: a purge leaves it
STATE = pathlib.Path("/var/lib/korvan")
PRIVATE_STATE = pathlib.Path("/var/lib/private/korvan")

STOP = "stop korvan@*.timer korvan@*.service"
RELOAD = "--system daemon-reload"
# name: (dpkg's arguments, "old" and "new" standing for the two packages; its calls of systemctl
# under systemd; korvan's status afterwards; the account's link and state there afterwards). The
# account is enabled by hand right after the install.
STEPS = {
    "install": (["-i", "old"], [RELOAD], "install ok installed", True),
    "upgrade": (["-i", "new"], [RELOAD], "install ok installed", True),
    "remove": (["-r", "korvan"], [STOP, RELOAD], "deinstall ok config-files", True),
    "purge": (["-P", "korvan"], [RELOAD], "", False),
}
POLICY = pathlib.Path("/usr/sbin/policy-rc.d")
# name: (systemd runs, the stub's exit status, policy-rc.d forbids); a forbidden stop is not asked.
SYSTEMS = {"systemd": (True, 0, False), "systemctl failing": (True, 1, False), "policy-rc.d forbids": (True, 0, True),
           "no systemd": (False, 0, False)}


def dpkg(*argv, path=None):
    """dpkg, waiting a bounded while for a lock another dpkg or apt holds."""
    environment = dict(os.environ, PATH=path or os.environ["PATH"], DEBIAN_FRONTEND="noninteractive")
    for _ in range(60):
        done = subprocess.run(["dpkg", *argv], capture_output=True, text=True, env=environment, timeout=120)
        if done.returncode == 0 or "lock" not in done.stderr:
            return done
        time.sleep(1)
    return done


def status():
    done = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "korvan"], capture_output=True, text=True)
    return done.stdout if done.returncode == 0 and "not-installed" not in done.stdout else ""


def higher_version(deb, directory):
    """The same package with a higher version, for a real upgrade."""
    tree = directory / "tree"
    subprocess.run(["dpkg-deb", "-R", deb, tree], check=True)
    control = tree / "DEBIAN" / "control"
    text = control.read_text()
    version = re.search(r"^Version: (.+)$", text, re.M).group(1)
    control.write_text(text.replace("Version: " + version, "Version: %s+1" % version))
    new = directory / "korvan-new.deb"
    subprocess.run(["dpkg-deb", "--root-owner-group", "-b", tree, new], check=True, capture_output=True)
    return new


def enable_by_hand():
    """What `systemctl enable korvan@alice.timer` and the dynamic user's first run leave."""
    WANTS.mkdir(parents=True, exist_ok=True)
    ACCOUNT_LINK.symlink_to("/lib/systemd/system/korvan@.timer")
    OTHER_LINK.symlink_to("/lib/systemd/system/other.timer")
    (PRIVATE_STATE / "alice").mkdir(parents=True)
    (PRIVATE_STATE / "alice" / "korvan-tick.ini").write_text("[tick]\r\nlastRunEnded=1\r\n")
    STATE.mkdir()
    (STATE / "alice").symlink_to("../private/korvan/alice")


def run_system(name, running, stub_exit, forbids, packages, scratch):
    stub = scratch / ("stub-" + name.replace(" ", "-"))
    stub.mkdir()
    log = stub / "calls"
    (stub / "systemctl").write_text("#!/bin/sh\nprintf '%%s\\n' \"$*\" >>%s\nexit %d\n" % (log, stub_exit))
    (stub / "systemctl").chmod(0o755)
    path = "%s:%s" % (stub, os.environ["PATH"])
    systemd = pathlib.Path("/run/systemd/system")
    if running:
        systemd.mkdir()
    # deb-systemd-invoke asks it when it is executable.
    (scratch / "policy-rc.d").write_text("#!/bin/sh\nexit 101\n")
    (scratch / "policy-rc.d").chmod(0o755 if forbids else 0o644)
    try:
        for step, (argv, calls, after, kept) in STEPS.items():
            log.write_text("")
            done = dpkg(*[str(packages.get(a, a)) for a in argv], path=path)
            check(done.returncode == 0, "%s: dpkg %s failed: %s" % (step, " ".join(argv), done.stderr.strip()))
            if step == "install":
                enable_by_hand()
            got = log.read_text().splitlines()
            wanted = [call for call in calls if running and not (forbids and call == STOP)]
            check(got == wanted, "%s: systemctl calls %r, expected %r" % (step, got, wanted))
            check(status() == after, "%s: korvan's status %r, expected %r" % (step, status(), after))
            there = [ACCOUNT_LINK.is_symlink(), STATE.exists(), PRIVATE_STATE.exists()]
            check(there == [kept] * 3, "%s: the account's link, /var/lib/korvan, /var/lib/private/korvan: %r"
                  % (step, there))
            check(OTHER_LINK.is_symlink(), "%s: another package's link went" % step)
            yield "%s: %s" % (name, step)
    finally:
        purge(path)
        if running:
            systemd.rmdir()
        # What a failed purge left, so that the next system starts from nothing.
        for link in (ACCOUNT_LINK, OTHER_LINK):
            link.unlink(missing_ok=True)
        shutil.rmtree(PRIVATE_STATE, ignore_errors=True)


def purge(path=None):
    """korvan off the machine, even when its own scripts fail (as an administrator would do it)."""
    if dpkg("-P", "korvan", path=path).returncode != 0:
        for script in ("prerm", "postrm"):
            pathlib.Path("/var/lib/dpkg/info/korvan.%s" % script).unlink(missing_ok=True)
        dpkg("-P", "--force-remove-reinstreq", "korvan", path=path)
    shutil.rmtree(STATE, ignore_errors=True)


def in_namespace(args):
    for folder in ISOLATED:
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=0755", "tmpfs", folder], check=True)
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="korvan-deb-") as scratch:
        scratch = pathlib.Path(scratch)
        packages = {"old": pathlib.Path(args.deb).resolve(), "new": higher_version(args.deb, scratch)}
        # An earlier build's scripts find no systemd here.
        purge()
        policy = scratch / "policy-rc.d"
        policy.touch()
        if POLICY.exists():
            subprocess.run(["mount", "--bind", policy, POLICY], check=True)
        for name, (running, stub_exit, forbids) in SYSTEMS.items():
            if forbids and not POLICY.exists():
                print("skip %s: no %s to stand in for" % (name, POLICY), flush=True)
                continue
            try:
                for case in run_system(name, running, stub_exit, forbids, packages, scratch):
                    print("ok   %s" % case, flush=True)
                    passed += 1
            except Exception as failure:  # noqa: BLE001 - a system's failure is reported and the others go on
                print("FAIL %s: %s" % (name, failure), flush=True)
                failed += 1
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--deb", required=True)
    parser.add_argument(IN_NAMESPACE, action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.in_namespace:
        return in_namespace(args)
    if os.geteuid() != 0:
        print("deb_scripts_e2e: needs root (dpkg installs the package)", file=sys.stderr)
        return 2
    if STATE.exists():
        print("deb_scripts_e2e: %s exists, and the purge would remove it" % STATE, file=sys.stderr)
        return 2
    return subprocess.run(["unshare", "--mount", "--propagation", "private", sys.executable, __file__,
                           "--deb", args.deb, IN_NAMESPACE]).returncode


if __name__ == "__main__":
    sys.exit(main())
