#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every test of a build folder runs with a home of its own inside that folder.

Reads the tests as CTest would run them (ctest --show-only=json-v1) and fails, naming each
offender, when a test would see HOME or an XDG base folder outside the build folder (the user's
own, for one), when two tests share a home, or when a home is not there. tests/test_homes.cmake
gives each test its home; a test registered in a way that bypasses it is what this catches.

Usage: test_homes_check.py CTEST BUILD_DIR
"""
import json
import os
import subprocess
import sys

VARIABLES = ("HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME")


def as_list(value):
    return value if isinstance(value, list) else [value]


def environment(test):
    """The values the variables will have in the test, None for one left as CTest found it."""
    properties = {p["name"]: p["value"] for p in test.get("properties", [])}
    given = {}
    for entry in as_list(properties.get("ENVIRONMENT", [])):
        name, _, value = entry.partition("=")
        given[name] = value
    values = dict(given)
    for entry in as_list(properties.get("ENVIRONMENT_MODIFICATION", [])):
        name, _, change = entry.partition("=")
        operation, _, value = change.partition(":")
        if operation == "set":
            values[name] = value
        elif operation == "unset":
            values.pop(name, None)
        elif operation == "reset":
            values[name] = given.get(name)
        else:  # appended to or changed in a way that may leave the folder
            values[name] = None
    return {name: values.get(name) for name in VARIABLES}


def inside(path, folder):
    path, folder = os.path.realpath(path), os.path.realpath(folder)
    return os.path.commonpath([path, folder]) == folder


def main():
    ctest, build = sys.argv[1], sys.argv[2]
    listing = subprocess.run([ctest, "--show-only=json-v1", "--test-dir", build],
                             check=True, capture_output=True, text=True).stdout
    tests = json.loads(listing)["tests"]
    problems = []
    owners = {}
    for test in tests:
        name = test["name"]
        for variable, value in environment(test).items():
            if not value:
                problems.append(f"{name}: {variable} is the one CTest was started with")
            elif not inside(value, build):
                problems.append(f"{name}: {variable}={value} lies outside the build folder")
            elif not os.path.isdir(value):
                problems.append(f"{name}: {variable}={value} is no folder")
            elif variable == "HOME":
                other = owners.setdefault(os.path.realpath(value), name)
                if other != name:
                    problems.append(f"{name}: HOME={value} is the home of {other} too")
    for problem in problems:
        print(problem)
    print(f"{len(tests)} tests, {len(problems)} problems")
    return 1 if problems or not tests else 0


if __name__ == "__main__":
    sys.exit(main())
