#!/usr/bin/env python3
"""Prints a Markdown table of a hyperfine JSON export: each command's median and its ratio
to the first command's median.

    median_table.py RUNS.json "Median / plain run" [--code]

--code puts each command name in backticks (for command lines rather than labels).
"""
import json
import sys


def main():
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] != "--code"):
        sys.exit("usage: median_table.py RUNS.json RATIO_HEADING [--code]")
    results = json.load(open(sys.argv[1]))["results"]
    name = "`%s`" if len(sys.argv) == 4 else "%s"
    base = results[0]["median"]
    print("| %s | Median [s] | %s |" % ("Command" if len(sys.argv) == 4 else "Run", sys.argv[2]))
    print("|:---|---:|---:|")
    for r in results:
        print(("| " + name + " | %.3f | %.2f |") % (r["command"], r["median"], r["median"] / base))


if __name__ == "__main__":
    main()
