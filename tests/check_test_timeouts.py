#!/usr/bin/env python3
"""Fails when a ctest entry of the build has no TIMEOUT property (or a zero one): every test
must be bounded in time, so that a hanging test fails instead of stalling CI."""
import argparse
import json
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ctest", required=True)
    parser.add_argument("--build-dir", required=True)
    args = parser.parse_args()
    listing = subprocess.run([args.ctest, "--show-only=json-v1"], cwd=args.build_dir,
                             capture_output=True, text=True, timeout=100, check=True)
    tests = json.loads(listing.stdout)["tests"]
    unbounded = []
    for test in tests:
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        if float(properties.get("TIMEOUT", 0)) <= 0:
            unbounded.append(test["name"])
    if not tests:
        print("no tests listed", file=sys.stderr)
        return 1
    if unbounded:
        print("tests without a TIMEOUT property:", file=sys.stderr)
        for name in unbounded:
            print("  " + name, file=sys.stderr)
        return 1
    print(f"{len(tests)} tests, each with a time bound")
    return 0


if __name__ == "__main__":
    sys.exit(main())
