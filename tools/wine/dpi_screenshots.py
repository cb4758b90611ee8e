#!/usr/bin/env python3
"""Screenshots of korvan.exe's main window and its 高级设置 dialog at 100% and 150% scaling under
Wine, for the docs.

    dpi_screenshots.py --korvan KORVAN.EXE --probe WINDOW_PROBE.EXE --out-dir DIR

For each of 96 and 144 DPI: a throwaway prefix under the out-dir's temporary folder gets
HKCU\\Control Panel\\Desktop LogPixels, korvan.exe starts in a fresh folder, the first-use box is
dismissed, the window is checked against the form scaled by the DPI and saved as
screenshot-100.png / screenshot-150.png. Then the system menu's 高级设置… opens the dialog on a
korvan.ini with two settings filled in; its controls are checked (inside the dialog, each group box
around whole controls only, no two others overlapping) and it is saved as advanced-100.png /
advanced-150.png. Last, 运行状况… with the plan on and no expiry read yet is saved as
status-100.png / status-150.png. Reuses tests/e2e/korvan_e2e.py; standard library plus ImageMagick's
import.
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
    # The DPI is read when the wineserver's session starts; the prefix's server stays up until told.
    subprocess.run(["wineserver", "-k"], env=env, timeout=60)
    subprocess.run(["wineserver", "-w"], env=env, timeout=60)


# WM_SYSCOMMAND of 高级设置… (kAdvancedSettingsCommand) and a korvan.ini for the dialog to show:
# history and the plan on, a Server酱 address (only shown, never requested).
ADVANCED_SETTINGS_COMMAND = "0x0140"
ADVANCED_SETTINGS = "[高级设置]\r\nhistory=1\r\ndeadline=1\r\nserverchan=https://127.0.0.1/SCT0000.send\r\n".encode("gbk")
BS_TYPEMASK, BS_GROUPBOX = 0xF, 0x7


def layout_faults(box, controls):
    """Controls outside the dialog's client area, group boxes cutting through a control, and
    controls (other than a group box and what it holds) overlapping."""
    def rect(control):
        return (control["left"], control["top"], control["left"] + control["width"],
                control["top"] + control["height"])

    def inside(inner, outer):
        return outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2] and inner[3] <= outer[3]

    def meet(a, b):
        return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]

    def frame(control):
        return control["class"].lower() == "button" and control["style"] & BS_TYPEMASK == BS_GROUPBOX

    client = (0, 0, box["clientWidth"], box["clientHeight"])
    faults = ["%d outside" % c["id"] for c in controls if not inside(rect(c), client)]
    for i, a in enumerate(controls):
        for b in controls[i + 1:]:
            if meet(rect(a), rect(b)) and not (frame(a) and inside(rect(b), rect(a))) and \
                    not (frame(b) and inside(rect(a), rect(b))):
                faults.append("%d meets %d" % (a["id"], b["id"]))
    return faults


def shoot_advanced_dialog(wine, session, dpi, name, out_dir):
    (session.directory / "korvan.ini").write_bytes(ADVANCED_SETTINGS)
    wine.run_probe("sys", ADVANCED_SETTINGS_COMMAND)
    code, lines = wine.run_probe("dialog", 10000)
    check(code == 0 and lines, "高级设置 did not open at %d DPI" % dpi)
    box, controls = lines[0], lines[1:]
    faults = layout_faults(box, controls)
    check(not faults, "高级设置 at %d DPI: %s" % (dpi, ", ".join(faults)))
    wait_until(lambda: False, 1)  # let the dialog paint
    korvan_e2e.take_screenshot(box, pathlib.Path(out_dir) / name)
    print("%s: %dx%d at %d DPI" % (name, box["width"], box["height"], dpi))


# WM_SYSCOMMAND of 运行状况… (kRunStatusCommand); IDCANCEL closes 高级设置 unchanged.
RUN_STATUS_COMMAND = "0x0110"
CANCEL = 2


def shoot_run_status(wine, dpi, name, out_dir):
    wine.run_probe("dialog-click", CANCEL)
    check(wait_until(lambda: wine.run_probe("message-box", 0)[0] != 0, 5), "高级设置 did not close")
    wine.run_probe("sys", RUN_STATUS_COMMAND)
    code, lines = wine.run_probe("dialog", 10000)
    check(code == 0 and lines, "运行状况 did not open at %d DPI" % dpi)
    wait_until(lambda: False, 1)  # let the box paint
    # Its client area: without a window manager the caption is not drawn and shows what lies below.
    box = lines[0]
    border = (box["width"] - box["clientWidth"]) // 2
    client = {"left": box["left"] + border, "top": box["top"] + box["height"] - box["clientHeight"] - border,
              "width": box["clientWidth"], "height": box["clientHeight"]}
    korvan_e2e.take_screenshot(client, pathlib.Path(out_dir) / name)
    print("%s: %dx%d at %d DPI" % (name, client["width"], client["height"], dpi))
    wine.run_probe("dismiss")


def shoot(args, dpi, name, advanced_name, status_name, work):
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
        shoot_advanced_dialog(wine, session, dpi, advanced_name, args.out_dir)
        shoot_run_status(wine, dpi, status_name, args.out_dir)
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
    # Room for the dialog at 150%, as on a 1080p screen.
    with tempfile.TemporaryDirectory(prefix="korvan-dpi-") as work, korvan_e2e.Display("1920x1080"):
        for dpi, *names in ((96, "screenshot-100.png", "advanced-100.png", "status-100.png"),
                            (144, "screenshot-150.png", "advanced-150.png", "status-150.png")):
            shoot(args, dpi, *names, pathlib.Path(work))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except korvan_e2e.Failure as failure:
        print("FAIL %s" % failure)
        sys.exit(1)
