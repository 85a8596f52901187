#!/usr/bin/env python3
"""Runs the unittest suites of a folder and writes a JUnit-style XML report for the totals."""
import argparse
import sys
import time
import unittest
import xml.etree.ElementTree as ET


class RecordingResult(unittest.TextTestResult):
    """Text result that also remembers every test's outcome and duration."""

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.records = []
        self._started = 0.0

    def startTest(self, test):
        self._started = time.monotonic()
        super().startTest(test)

    def _record(self, test, outcome, detail=""):
        self.records.append((test.id(), outcome, detail, time.monotonic() - self._started))

    def addSuccess(self, test):
        super().addSuccess(test)
        self._record(test, "passed")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._record(test, "failure", self._exc_info_to_string(err, test))

    def addError(self, test, err):
        super().addError(test, err)
        self._record(test, "error", self._exc_info_to_string(err, test))

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self._record(test, "skipped", reason)


def write_report(path, records):
    failures = sum(1 for r in records if r[1] == "failure")
    errors = sum(1 for r in records if r[1] == "error")
    skipped = sum(1 for r in records if r[1] == "skipped")
    suites = ET.Element("testsuites", tests=str(len(records)), failures=str(failures),
                        errors=str(errors), disabled="0", skipped=str(skipped))
    suite = ET.SubElement(suites, "testsuite", name="python", tests=str(len(records)))
    for name, outcome, detail, seconds in records:
        case = ET.SubElement(suite, "testcase", name=name, time=f"{seconds:.3f}")
        if outcome in ("failure", "error"):
            ET.SubElement(case, outcome, message=detail.splitlines()[-1] if detail else "").text = detail
        elif outcome == "skipped":
            ET.SubElement(case, "skipped", message=detail)
    ET.ElementTree(suites).write(path, encoding="utf-8", xml_declaration=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--start", required=True)
    parser.add_argument("--pattern", default="test_*.py")
    parser.add_argument("--xml", required=True)
    args = parser.parse_args()
    suite = unittest.defaultTestLoader.discover(args.start, pattern=args.pattern, top_level_dir=args.start)
    runner = unittest.TextTestRunner(resultclass=RecordingResult, verbosity=2, stream=sys.stderr)
    result = runner.run(suite)
    write_report(args.xml, result.records)
    return 0 if result.wasSuccessful() and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
