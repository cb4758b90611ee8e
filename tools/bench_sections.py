"""A section of docs/performance.md written in place of an older one, leaving every other section as
it stands. Standard library only."""
import pathlib
import tempfile


def replace_section(path, heading, text):
    report = path.read_text(encoding="utf-8") if path.exists() else "# Korvan performance\n"
    start = report.find("\n" + heading)
    if start < 0:
        report = report.rstrip("\n") + "\n\n" + text
    else:
        end = report.find("\n## ", start + 1)
        rest = report[end:] if end >= 0 else ""
        report = report[:start].rstrip("\n") + "\n\n" + text + rest
    path.write_text(report, encoding="utf-8")


def write_measured_section(args, heading, scratch_prefix, measure, section):
    """measure(args, scratch folder) gives the results section(args, results) writes up; printed too."""
    with tempfile.TemporaryDirectory(prefix=scratch_prefix) as scratch:
        text = section(args, measure(args, pathlib.Path(scratch)))
    replace_section(args.out, heading, text)
    print(text)
    return 0
