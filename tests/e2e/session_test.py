#!/usr/bin/env python3
"""korvan_e2e.Session against a stand-in for Wine (this file plays the program and the probe): a
korvan.exe that crashed while its window was read is named with what Wine said of the crash."""
import os
import pathlib
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import korvan_e2e  # noqa: E402

CRASH = "wine: Unhandled page fault on read access to 0000014800000018 at address 000000031C5D5317"
# name: (program crashes, seconds it stays frozen, probe's exit code, what the failure says)
CASES = {
    "crash while read": (True, 2, 3, CRASH),
    "crash, window gone mid-read": (True, 1, 4, CRASH),
    "crash before the read": (True, 0, 1, CRASH),
    "silent window thread": (False, 0, 3, "did not answer a message within 20 s"),
}


def play(exe):
    if exe.endswith("probe.exe"):
        return int(os.environ["PROBE_CODE"])
    if os.environ["FROZEN"] == "-":
        time.sleep(60)
        return 0
    print(CRASH, file=sys.stderr, flush=True)
    time.sleep(float(os.environ["FROZEN"]))
    return 0


def failure_of(loader, directory, crashes, frozen, code):
    environment = dict(os.environ, FROZEN=str(frozen) if crashes else "-", PROBE_CODE=str(code))
    (directory / "built.exe").write_bytes(b"")
    session = korvan_e2e.Session(korvan_e2e.Wine(str(loader), "probe.exe", environment), directory / "built.exe",
                                 directory)
    try:
        if crashes and not frozen:
            session.process.wait(timeout=10)
        session.controls()
        return ""
    except korvan_e2e.Failure as failure:
        return str(failure)
    finally:
        session.process.kill()
        session.process.wait(timeout=10)


def main():
    if sys.argv[1:2] == ["play"]:
        return play(sys.argv[2])
    korvan_e2e.CRASH_END_SECONDS = 5  # the stand-in's crash ends well within it
    failed = 0
    with tempfile.TemporaryDirectory(prefix="korvan-session-") as scratch:
        loader = pathlib.Path(scratch) / "wine"
        loader.write_text('#!/bin/sh\nexec "%s" "%s" play "$@"\n' % (sys.executable, __file__))
        loader.chmod(0o755)
        for name, (crashes, frozen, code, said) in CASES.items():
            with tempfile.TemporaryDirectory(dir=scratch) as directory:
                message = failure_of(loader, pathlib.Path(directory), crashes, frozen, code)
            failed += said not in message
            print("%s %s: %r" % ("ok  " if said in message else "FAIL", name, message), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
