#!/usr/bin/env python3
"""Writes the release zip: korvan-VERSION-win64.zip holding exactly the folder Korvan\\ with korvan.exe,
the console program korvan-cli.exe and the Chinese user guide 使用说明.txt (UTF-8 with a byte order mark and CR LF line ends, so Notepad
shows it right). The folder keeps the files the program writes beside itself (korvan.ini, the hidden
SkinH_EL.dll) out of wherever the zip is unpacked.
Standard library only.

    make_package.py --exe KORVAN.EXE --console-exe KORVAN-CLI.EXE --guide GUIDE.txt --version X.Y.Z --output-dir DIR

Prints the zip's path and size.
"""
import argparse
import pathlib
import sys
import zipfile

FOLDER_NAME = "Korvan/"
GUIDE_NAME = FOLDER_NAME + "使用说明.txt"
PROGRAM_NAME = FOLDER_NAME + "korvan.exe"
CONSOLE_PROGRAM_NAME = FOLDER_NAME + "korvan-cli.exe"


def package_name(version):
    return "korvan-%s-win64.zip" % version


def guide_bytes(source):
    text = source.read_text("utf-8").lstrip("\ufeff")
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def write_package(exe, console_exe, guide, version, output_dir):
    output_dir.mkdir(parents=True, exist_ok=True)
    path = output_dir / package_name(version)
    temporary = path.with_suffix(".zip.part")
    with zipfile.ZipFile(temporary, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        date_time = zipfile.ZipInfo.from_file(exe).date_time
        archive.writestr(zipfile.ZipInfo(FOLDER_NAME, date_time=date_time), b"")
        archive.write(exe, PROGRAM_NAME)
        archive.write(console_exe, CONSOLE_PROGRAM_NAME)
        archive.writestr(zipfile.ZipInfo(GUIDE_NAME, date_time=date_time),
                         guide_bytes(guide), compress_type=zipfile.ZIP_DEFLATED)
    temporary.replace(path)
    return path


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True, type=pathlib.Path)
    parser.add_argument("--console-exe", required=True, type=pathlib.Path)
    parser.add_argument("--guide", required=True, type=pathlib.Path)
    parser.add_argument("--version", required=True)
    parser.add_argument("--output-dir", required=True, type=pathlib.Path)
    args = parser.parse_args()
    path = write_package(args.exe, args.console_exe, args.guide, args.version, args.output_dir)
    print("%s %d bytes" % (path, path.stat().st_size))
    return 0


if __name__ == "__main__":
    sys.exit(main())
