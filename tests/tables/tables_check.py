#!/usr/bin/env python3
"""Runs farrowdale-cli count --tables on a small coded corpus and reads the two CSV tables
back with the csv module: their bytes (byte-order mark, CR LF, header), every count against
the combined report's own per-file numbers, and every passage against the text at the line
and column its record names.

    tables_check.py --cli PATH --examples DIR
"""
import argparse
import csv
import html
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile

# Passages that need quoting or hold text beyond ASCII, in a file of its own.
EXTRA_FILE = (
    "\ufeffNotes, \u00e9t\u00e9 \u2013 <n>Zo\u00eb</n>\r\n"
    "She said <e>\"so, so\" glad</e> and later <e>caf\u00e9 \u2013 \u00e9t\u00e9</e>.\r\n"
    "\t<p>Quay 7,\r\n  north side</p> <n>O'Neil \"Red\"</n> <e>So, So\" glad</e>\r\n"
)


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def read_table(path, header):
    data = open(path, "rb").read()
    if not data.startswith(b"\xef\xbb\xbf"):
        fail(f"{path}: no UTF-8 byte-order mark")
    body = data[3:]
    if not body.endswith(b"\r\n"):
        fail(f"{path}: the last record does not end in CR LF")
    text = body.decode("utf-8")
    rows = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    if rows[0] != header:
        fail(f"{path}: header {rows[0]!r}, expected {header!r}")
    # Outside quoted fields every line end is CR LF.
    bare_lf = re.sub(r'"(?:[^"]|"")*"', "", text).replace("\r\n", "")
    if "\n" in bare_lf or "\r" in bare_lf:
        fail(f"{path}: a record ends in something else than CR LF")
    return rows[1:]


def report_counts(report_path):
    """{(tag, file): (distinct, passages)} from the combined report's cells."""
    text = open(report_path, "rb").read().decode("utf-16")
    files = [html.unescape(name) for name in re.findall(r'<td class="f">(.*?)</td>', text)]
    counts = {}
    for row in re.findall(r"<tr[^>]*>(.*?)</tr>", text, re.S):
        name = re.search(r'<td class="n">(.*?)</td>', row)
        cells = re.findall(r'<span class="c">(\d+)</span>/<span class="f">(\d+)</span>', row)
        if not name or len(cells) != len(files):
            continue
        for file_name, (distinct, passages) in zip(files, cells):
            counts[(html.unescape(name.group(1)), file_name)] = (int(distinct), int(passages))
    return counts


def decoded_lines(path):
    data = open(path, "rb").read()
    for mark, encoding in ((b"\xef\xbb\xbf", "utf-8"), (b"\xff\xfe", "utf-16-le"),
                           (b"\xfe\xff", "utf-16-be")):
        if data.startswith(mark):
            text = data[len(mark):].decode(encoding)
            break
    else:
        text = data.decode("utf-8")
    return re.split(r"\r\n|\r|\n", text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--examples", required=True)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="tables_check_") as scratch:
        corpus = os.path.join(scratch, "corpus")
        shutil.copytree(args.examples, corpus)
        with open(os.path.join(corpus, "notes, \"extra\".txt"), "w", encoding="utf-8",
                  newline="") as extra:
            extra.write(EXTRA_FILE)
        tag_set = os.path.join(corpus, "tagset.ini")
        environment = dict(os.environ, LC_ALL="C.UTF-8")
        command = [args.cli, "count", "--tagset", tag_set, "--one-file", "--tables",
                   "--code-page", "UTF-8", corpus]
        run = subprocess.run(command, capture_output=True, timeout=60, env=environment)
        if run.returncode != 0:
            fail(f"count exited {run.returncode}: {run.stderr.decode(errors='replace')}")

        counts_rows = read_table(os.path.join(corpus, "result_counts.csv"),
                                 ["tag", "file", "passages", "distinct passages"])
        passages_rows = read_table(os.path.join(corpus, "result_passages.csv"),
                                   ["tag", "file", "line", "column", "passage"])
        report = report_counts(os.path.join(corpus, "result.htm"))

        table = {(tag, name): (int(distinct), int(passages))
                 for tag, name, passages, distinct in counts_rows}
        if len(table) != len(counts_rows):
            fail("result_counts.csv holds a tag and file twice")
        if table != report:
            fail(f"result_counts.csv {sorted(table.items())} differs from the report "
                 f"{sorted(report.items())}")
        if not any(passages for _, passages in table.values()):
            fail("no passages counted at all")

        # Every occurrence: counted for its tag and file, and standing in its file at its
        # line and column (columns in characters).
        seen = {}
        for tag, name, line, column, passage in passages_rows:
            seen.setdefault((tag, name), []).append(passage)
            lines = decoded_lines(os.path.join(corpus, name))
            first_line = re.split(r"\r\n|\r|\n", passage)[0]
            at = lines[int(line) - 1][int(column) - 1:]
            if not at.startswith(first_line):
                fail(f"{name}:{line}:{column}: {first_line!r} is not there ({at[:40]!r})")
        for key, (distinct, passages) in table.items():
            texts = seen.get(key, [])
            if len(texts) != passages:
                fail(f"{key}: {len(texts)} records for {passages} passages")
            folded = {re.sub("[A-Z]", lambda m: m.group(0).lower(), t) for t in texts}
            if len(folded) != distinct:
                fail(f"{key}: {len(folded)} distinct texts for {distinct} distinct passages")

        # Columns count characters: "é", "–" and "ë" are one each, not two or three bytes.
        name = "notes, \"extra\".txt"
        expected = [["emotion", name, "2", "13", "\"so, so\" glad"],
                    ["emotion", name, "2", "44", "caf\u00e9 \u2013 \u00e9t\u00e9"],
                    ["emotion", name, "4", "41", "So, So\" glad"],
                    ["place", name, "3", "5", "Quay 7,\r\n  north side"],
                    ["person", name, "1", "17", "Zo\u00eb"],
                    ["person", name, "4", "21", "O'Neil \"Red\""]]
        quoted = [row for row in passages_rows if row[1] == name]
        if quoted != expected:
            fail(f"records of the extra file: {quoted!r}")
    print("tables agree with the report")


if __name__ == "__main__":
    main()
