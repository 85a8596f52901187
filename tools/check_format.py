#!/usr/bin/env python3
"""Fails when a C++ file under src/ or tests/ is not laid out as .clang-format says.

Usage: check_format.py [--xml REPORT] [--fix]
Lists every file whose formatting differs (with the first differing lines); --fix rewrites them."""
import argparse
import difflib
import os
import subprocess
import sys
from xml.sax.saxutils import escape, quoteattr

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def cpp_files():
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "src", "tests"], cwd=ROOT,
                            capture_output=True, text=True, check=True).stdout.split()
    return [path for path in listed if path.endswith((".cpp", ".h")) and os.path.exists(os.path.join(ROOT, path))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--xml")
    parser.add_argument("--fix", action="store_true")
    args = parser.parse_args()
    off = []
    for path in cpp_files():
        full = os.path.join(ROOT, path)
        with open(full, encoding="utf-8") as handle:
            written = handle.read()
        formatted = subprocess.run(["clang-format", "--style=file", f"--assume-filename={full}"], input=written,
                                   capture_output=True, text=True, check=True, cwd=ROOT).stdout
        if formatted == written:
            continue
        if args.fix:
            with open(full, "w", encoding="utf-8") as handle:
                handle.write(formatted)
            continue
        diff = list(difflib.unified_diff(written.splitlines(), formatted.splitlines(), path, path, n=0, lineterm=""))
        off.append((path, "\n".join(diff[:12])))
    for path, diff in off:
        print(f"not formatted: {path}\n{diff}")
    print(f"{len(off)} of {len(cpp_files())} files not formatted (tools/check_format.py --fix rewrites them)")
    if args.xml:
        with open(args.xml, "w") as report:
            report.write(f'<testsuite name="format" tests="1" failures="{1 if off else 0}">\n')
            report.write('  <testcase classname="format" name="clang-format">')
            if off:
                text = "\n".join(path for path, _ in off)
                report.write(f"<failure message={quoteattr('files not formatted')}>{escape(text)}</failure>")
            report.write("</testcase>\n</testsuite>\n")
    return 1 if off else 0


if __name__ == "__main__":
    sys.exit(main())
