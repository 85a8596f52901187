#!/usr/bin/env python3
"""Adds up the XML test reports of one test run and prints the closing line.

A step that failed without leaving a failing report (a build error, a crashed test program)
counts as one failure, so a broken build can never read as a green run."""
import argparse
import glob
import os
import sys
import xml.etree.ElementTree as ET

STEP_PREFIXES = {"native": "native_tests_", "windows": "win_tests_", "python": "python_tools",
                 "fuzz-smoke": "fuzz_smoke", "blackbox": "python_blackbox", "imports": "imports", "format": "format", "simulator": "\0"}


def read_report(path):
    root = ET.parse(path).getroot()
    cases = root.iter("testcase")
    passed = failed = skipped = 0
    for case in cases:
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None or case.get("result") == "skipped" or case.get("status") == "notrun":
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("results")
    parser.add_argument("--elapsed", type=int, default=0)
    args = parser.parse_args()
    passed = failed = skipped = 0
    failed_by_prefix = {}
    for path in sorted(glob.glob(os.path.join(args.results, "*.xml"))):
        name = os.path.basename(path)
        try:
            p, f, s = read_report(path)
        except ET.ParseError:
            p, f, s = 0, 1, 0
        print(f"  {name}: {p} passed, {f} failed, {s} skipped")
        passed, failed, skipped = passed + p, failed + f, skipped + s
        for prefix in STEP_PREFIXES.values():
            if name.startswith(prefix):
                failed_by_prefix[prefix] = failed_by_prefix.get(prefix, 0) + f
    steps_file = os.path.join(args.results, "failed-steps")
    if os.path.exists(steps_file):
        for step in open(steps_file).read().split():
            print(f"  step failed: {step}")
            if failed_by_prefix.get(STEP_PREFIXES.get(step, "\0"), 0) == 0:
                failed += 1
    if args.elapsed:
        print(f"  time: {args.elapsed // 60} min {args.elapsed % 60} s")
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
