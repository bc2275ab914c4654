#!/usr/bin/env python3
"""Adds up test results: GoogleTest XML files count their test cases, every other
CTest test counts as one. Usage: count-results.py FAILED_BUILDS DIR..."""
import os
import sys
import xml.etree.ElementTree as ET


def count_dir(directory):
    passed = failed = 0
    gtest_names = set()
    for name in sorted(os.listdir(directory)) if os.path.isdir(directory) else []:
        if not name.endswith(".xml"):
            continue
        try:
            root = ET.parse(os.path.join(directory, name)).getroot()
        except ET.ParseError:
            continue
        gtest_names.add(name[:-4])
        for case in root.iter("testcase"):
            if case.get("result") == "skipped" or case.find("skipped") is not None:
                continue
            if case.find("failure") is not None:
                failed += 1
            else:
                passed += 1
    junit = os.path.join(directory, "ctest.junit")
    if os.path.exists(junit):
        for case in ET.parse(junit).getroot().iter("testcase"):
            status = case.get("status", "")
            bad = case.find("failure") is not None or status in ("fail", "failed")
            if case.get("name") in gtest_names:
                # The executable's own cases are counted above; a crash or time-out
                # that left no result must still count.
                if bad:
                    failed += 1
                continue
            if status in ("notrun", "disabled") or case.find("skipped") is not None:
                continue
            if bad:
                failed += 1
            else:
                passed += 1
    return passed, failed


def main():
    failed_builds = int(sys.argv[1])
    passed = failed = 0
    for directory in sys.argv[2:]:
        p, f = count_dir(directory)
        passed += p
        failed += f
    failed += failed_builds
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
