#!/usr/bin/env python3
"""Checks of the release zip (tools/make_package.py), built here from the given korvan.exe.

  contents        the zip is named korvan-VERSION-win64.zip and holds exactly the folder Korvan\\ with
                  korvan.exe and korvan-cli.exe (the same bytes) and 使用说明.txt (UTF-8 with BOM, CR LF, the texts a user needs)
  odd-folder      under Wine: the unpacked korvan.exe runs from a folder whose path holds spaces and
                  Chinese characters: first start, saving the settings, and the restart mechanism
                  (the restart probe, copied into that folder, restarts itself through Restart.bat)

Reuses the window helpers of korvan_e2e.py. Needs WINEPREFIX for odd-folder.
"""
import argparse
import os
import pathlib
import subprocess
import sys
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent.parent / "tools"))
import korvan_e2e  # noqa: E402
import make_package  # noqa: E402
from korvan_e2e import Failure, check, wait_until  # noqa: E402

ODD_FOLDER = "Korvan 免费 VPS 工具"
GUIDE_MUST_HOLD = [
    "korvan.ini", "明文", "监控运行中 ●/○", "监控暂停中 ●", "监控异常中，请重启 ●", "登录成功！", "密码不正确！",
    "登录失败！", "未找到免费VPS", "到期时间：", "续费成功！", "请在该产品到期前1日内进行积分免费续期",
    "配置保存完毕，请重启软件生效", "配置保存失败", "Restart.bat",
    # what lies beyond the four settings, and where to find it
    "Alt+空格", "运行状况", "立即检查", "打开运行记录", "高级设置", "verify", "history", "deadline", "wake",
    "允许使用唤醒定时器", "续期窗口：", "推送时机", "发送测试消息", "未填写任何推送地址", "心跳", "Uptime Kuma",
    "korvan tick", "高级设置已保存，下次运行起生效，无需重启",
    # the first minutes: the folder, the lower panel, a warning about the unsigned program
    "Korvan\\", "公告", "SmartScreen", "杀毒软件", "续期未成功", "上次续期未成功",
    # the one next run, its kinds, the plan before the first expiry, a renewal that did not take
    "下次运行：", "定时续期", "按时续期重试", "读到到期时间后安排", "续期未生效（到期时间未变）",
    # without the window: the console program, its two commands, several accounts, the logged-off mode
    "不开窗口运行（任务计划程序）", "korvan-cli schedule", "korvan-cli unschedule", "--logged-off", "任务计划程序库",
    "korvan-cli status", "另一进程正在续期，本次跳过",
]


def build_package(args, directory):
    return make_package.write_package(pathlib.Path(args.korvan), pathlib.Path(args.korvan_cli), pathlib.Path(args.guide),
                                      args.version, pathlib.Path(directory))


def case_contents(args, directory):
    path = build_package(args, directory)
    check(path.name == "korvan-%s-win64.zip" % args.version, "package name %s" % path.name)
    with zipfile.ZipFile(path) as archive:
        check(archive.testzip() is None, "a damaged member in the zip")
        names = archive.namelist()
        check(sorted(names) == ["Korvan/", "Korvan/korvan-cli.exe", "Korvan/korvan.exe", "Korvan/使用说明.txt"],
              "zip members %r" % names)
        check(all(info.flag_bits & 0x800 or info.filename.isascii() for info in archive.infolist()),
              "a non-ASCII member name without the UTF-8 flag")
        for member, built in (("korvan.exe", args.korvan), ("korvan-cli.exe", args.korvan_cli)):
            check(archive.read("Korvan/" + member) == pathlib.Path(built).read_bytes(), "%s differs from the build" % member)
        # WinINet needs a user session; a task run while logged off has none. (korvan.exe names it,
        # which shows the search would see it.)
        names_wininet = [member for member in ("korvan.exe", "korvan-cli.exe")
                         if b"wininet.dll" in archive.read("Korvan/" + member).lower()]
        check(names_wininet == ["korvan.exe"], "programs that load WinINet: %r" % names_wininet)
        guide = archive.read("Korvan/使用说明.txt")
    check(guide.startswith(b"\xef\xbb\xbf"), "the guide has no UTF-8 byte order mark")
    text = guide[3:].decode("utf-8")
    check("\n" not in text.replace("\r\n", ""), "the guide has bare line ends")
    missing = [part for part in GUIDE_MUST_HOLD if part not in text]
    check(not missing, "the guide does not explain %r" % missing)


def case_odd_folder(args, directory):
    unpacked = pathlib.Path(directory) / ODD_FOLDER
    unpacked.mkdir()
    with zipfile.ZipFile(build_package(args, directory)) as archive:
        archive.extractall(unpacked)
    folder = unpacked / "Korvan"
    wine = korvan_e2e.Wine(args.wine, args.probe)

    session = korvan_e2e.Session.__new__(korvan_e2e.Session)
    session.wine, session.directory = wine, folder
    session.process = wine.start(folder / "korvan.exe", folder)
    try:
        check(wine.run_probe("wait", 60000)[0] == 0, "main window did not appear")
        box = session.message_box()
        check(korvan_e2e.FIRST_USE_MESSAGE in box["texts"], "first-use texts %r" % box["texts"])
        check((folder / "SkinH_EL.dll").is_file(), "SkinH_EL.dll was not written into %s" % folder)
        wine.run_probe("dismiss")
        check(wait_until(lambda: wine.run_probe("message-box", 0)[0] != 0, 5), "first-use box did not close")
        wine.run_probe("set-text", 1008, "tester")
        wine.run_probe("set-text", korvan_e2e.PASSWORD_BOX, "pw")
        wine.run_probe("click", korvan_e2e.SAVE_BUTTON)
        check(wait_until(lambda: korvan_e2e.SAVED in session.controls()[korvan_e2e.LOG_BOX]["text"], 40),
              "no save message in the log")
        ini = folder / "korvan.ini"
        check(ini.is_file(), "korvan.ini was not written into %s" % folder)
        saved = ini.read_bytes().decode("gbk")
        check("user=tester" in saved and "pass=pw" in saved, "korvan.ini after saving: %r" % saved)
    finally:
        session.close()

    # The restart mechanism from this folder: the probe notes its start, restarts itself through
    # Restart.bat, and the instance the batch file starts notes a second start.
    probe = folder / "restart probe.exe"
    probe.write_bytes(pathlib.Path(args.restart_probe).read_bytes())
    first = subprocess.Popen([wine.loader, str(probe)], cwd=folder, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        first.wait(timeout=60)
    except subprocess.TimeoutExpired:
        first.kill()
        raise Failure("the restart probe did not end")
    check(first.returncode == 0, "the restart probe's first instance ended with %s" % first.returncode)
    check(wait_until(lambda: (folder / "second-start.txt").is_file(), 30), "Restart.bat did not start it again")
    check(wait_until(lambda: not (folder / "Restart.bat").exists(), 30), "Restart.bat did not delete itself")
    check((folder / "first-start.txt").read_bytes() != (folder / "second-start.txt").read_bytes(),
          "the second start is the same process")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--korvan", required=True)
    parser.add_argument("--korvan-cli", required=True)
    parser.add_argument("--guide", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--probe", help="window_probe.exe (odd-folder)")
    parser.add_argument("--restart-probe", help="korvan_restart_probe.exe (odd-folder)")
    parser.add_argument("cases", nargs="+", choices=["contents", "odd-folder"])
    args = parser.parse_args()
    if "odd-folder" in args.cases and (not os.environ.get("WINEPREFIX") or not args.probe or not args.restart_probe):
        print("odd-folder needs WINEPREFIX, --probe and --restart-probe", file=sys.stderr)
        return 2

    def run(name, directory):
        if name == "contents":
            case_contents(args, directory)
        else:
            with korvan_e2e.Display():
                case_odd_folder(args, directory)

    failures = korvan_e2e.run_cases(args.cases, run, "korvan-package-")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
