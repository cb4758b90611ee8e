#!/usr/bin/env python3
"""systemd-analyze verify on korvan@.service and korvan@.timer as an account's instances, with the
built program standing where the package puts it. Exit 77 (skipped) only when systemd-analyze is
not installed; a warning about the units counts as a failure, as verify itself lets some pass.

  units_check.py --korvan PATH --units FOLDER
"""
import argparse
import pathlib
import shutil
import subprocess
import sys
import tempfile


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--korvan", required=True)
    parser.add_argument("--units", required=True, type=pathlib.Path)
    args = parser.parse_args()
    analyze = shutil.which("systemd-analyze")
    if not analyze:
        print("units_check: systemd-analyze is not installed; skipped")
        return 77
    with tempfile.TemporaryDirectory(prefix="korvan-units-") as folder:
        instances = []
        for kind in ("service", "timer"):
            text = (args.units / ("korvan@." + kind)).read_text()
            instance = pathlib.Path(folder) / ("korvan@alice." + kind)
            instance.write_text(text.replace("/usr/bin/korvan", str(pathlib.Path(args.korvan).resolve())))
            instances.append(str(instance))
        done = subprocess.run([analyze, "verify", *instances], capture_output=True, text=True, timeout=50)
    said = [line for line in (done.stdout + done.stderr).splitlines() if "korvan@" in line]
    print("\n".join(said) or "units_check: korvan@alice.service and korvan@alice.timer verified")
    failed = done.returncode != 0 or said
    print("%d passed, %d failed" % (0 if failed else 1, 1 if failed else 0))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
