#!/usr/bin/env python3
"""Screenshots of korvan.exe's main window at 100% and 150% scaling under Wine, for the docs.

    dpi_screenshots.py --korvan KORVAN.EXE --probe WINDOW_PROBE.EXE --out-dir DIR

For each of 96 and 144 DPI: a throwaway prefix under the out-dir's temporary folder gets
HKCU\\Control Panel\\Desktop LogPixels, korvan.exe starts in a fresh folder, the first-use box is
dismissed, the window is checked against the form scaled by the DPI and saved as
screenshot-100.png / screenshot-150.png. Reuses tests/e2e/korvan_e2e.py; standard library plus
ImageMagick's import.
"""
import argparse
import os
import pathlib
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tests" / "e2e"))
import korvan_e2e  # noqa: E402
from korvan_e2e import check, wait_until  # noqa: E402


def prepare_prefix(prefix, dpi):
    env = dict(os.environ, WINEPREFIX=str(prefix))
    root = pathlib.Path(__file__).resolve().parent
    subprocess.run([str(root / "prefix"), "setup"], env=env, check=True, timeout=300)
    subprocess.run([str(root / "wine-run"), "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=env, check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The DPI is read when the wineserver's session starts.
    subprocess.run(["wineserver", "-w"], env=env, timeout=60)


def shoot(args, dpi, name, work):
    prefix = work / ("prefix-%d" % dpi)
    prepare_prefix(prefix, dpi)
    os.environ["WINEPREFIX"] = str(prefix)
    wine = korvan_e2e.Wine(str(pathlib.Path(__file__).resolve().parent / "wine-run"), args.probe)
    folder = work / ("run-%d" % dpi)
    folder.mkdir()
    session = korvan_e2e.Session(wine, args.korvan, folder)
    try:
        check(wine.run_probe("wait", 30000)[0] == 0, "main window did not appear")
        session.message_box()
        wine.run_probe("dismiss")
        check(wait_until(lambda: wine.run_probe("message-box", 0)[0] != 0, 5), "first-use box did not close")
        _, window = wine.run_probe("window")
        window = window[0]
        scale = dpi / 96
        check(abs(window["width"] - round(458 * scale)) <= 1, "outer width %r at %d DPI" % (window, dpi))
        controls = session.controls()
        for control_id, (form_name, left, top, width, height, _) in korvan_e2e.FORM.items():
            control = controls[control_id]
            got = (control["left"], control["top"], control["width"], control["height"])
            want = tuple(int(value * dpi / 96) for value in (left, top, width, height))
            check(all(abs(a - b) <= 1 for a, b in zip(got, want)), "%s at %d DPI: %r, want %r" %
                  (form_name, dpi, got, want))
        wait_until(lambda: False, 1.5)  # let the status dot and the skin settle
        korvan_e2e.take_screenshot(window, pathlib.Path(args.out_dir) / name)
        print("%s: %dx%d at %d DPI" % (name, window["width"], window["height"], dpi))
    finally:
        session.close()
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=str(prefix)), timeout=60)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--korvan", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--out-dir", required=True)
    args = parser.parse_args()
    os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LANG="zh_CN.UTF-8",
                      LC_ALL="zh_CN.UTF-8")
    with tempfile.TemporaryDirectory(prefix="korvan-dpi-") as work, korvan_e2e.Display():
        for dpi, name in ((96, "screenshot-100.png"), (144, "screenshot-150.png")):
            shoot(args, dpi, name, pathlib.Path(work))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except korvan_e2e.Failure as failure:
        print("FAIL %s" % failure)
        sys.exit(1)
