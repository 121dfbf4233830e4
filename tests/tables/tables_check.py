#!/usr/bin/env python3
"""Runs farrowdale-cli count --tables on a small coded corpus and reads the three CSV tables
back with the csv module: their bytes (byte-order mark, CR LF, header), every count against
the combined report's own per-file numbers, every passage against the text at the line
and column its record names, and the co-occurrence counts against a count of their own here.

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

# Passages of several tags that nest, cross, coincide once other markers are gone, and touch.
OVERLAP_FILE = (
    "<e>joy <p>at home</p> here</e> <n>Ann <e>cafe</n> late</e>\r\n"
    "<p><w>work</w></p> <t>one</t><t>two</t> <w>x <t>y\r\nz</t></w> <e>  </e>\r\n"
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


def cooccurrence_counts(path, tags):
    """{(tag_a, tag_b): [a, b, identical, a_inside_b, b_inside_a, crossing]} for one file:
    each passage as the set of its characters that stay once every passage's markers are
    removed, without blanks at its edges; pairs compared as sets."""
    text = "\r\n".join(decoded_lines(path))
    removed = set()
    passages = {}
    for name, (begin, end) in tags.items():
        pattern = re.escape(begin) + "(.*?)" + re.escape(end)
        for match in re.finditer(pattern, text, re.S):
            removed.update(range(match.start(), match.start(1)))
            removed.update(range(match.end(1), match.end()))
            if match.group(1).strip("".join(map(chr, range(33)))):
                passages.setdefault(name, []).append(range(match.start(1), match.end(1)))
    kept = {}
    for name, spans in passages.items():
        for span in spans:
            chars = [i for i in span if i not in removed]
            while chars and ord(text[chars[0]]) <= 32:
                chars.pop(0)
            while chars and ord(text[chars[-1]]) <= 32:
                chars.pop()
            kept.setdefault(name, []).append(frozenset(chars))
    counts = {}
    for a in tags:
        for b in tags:
            if a == b:
                continue
            row = [len(kept.get(a, [])), len(kept.get(b, [])), 0, 0, 0, 0]
            for x in kept.get(a, []):
                for y in kept.get(b, []):
                    if not x & y:
                        continue
                    row[2 if x == y else 3 if x < y else 4 if y < x else 5] += 1
            counts[(a, b)] = row
    return counts


def check_cooccurrence(corpus, rows, tags, files):
    expected = {}
    pooled = {}
    for name in files:
        for pair, row in cooccurrence_counts(os.path.join(corpus, name), tags).items():
            expected[pair + (name,)] = row
            pooled[pair] = [p + r for p, r in zip(pooled.get(pair, [0] * 6), row)]
    for pair, row in pooled.items():
        expected[pair + ("*",)] = row
    got = {}
    for a, b, name, n1, n2, n12, same, inside, containing, crossing, c in rows:
        numbers = [int(n1), int(n2), int(same), int(inside), int(containing), int(crossing)]
        if int(n12) != sum(numbers[2:]):
            fail(f"{a},{b},{name}: cooccurring {n12} is not the sum of its relations")
        denominator = numbers[0] + numbers[1] - int(n12)
        want_c = int(n12) / denominator if int(n12) else 0.0
        if not re.fullmatch(r"\d+\.\d{4}", c) or abs(float(c) - want_c) > 0.00005:
            fail(f"{a},{b},{name}: c {c}, expected {want_c:.4f}")
        got[(a, b, name)] = numbers
    if got != expected:
        wrong = sorted(k for k in set(got) | set(expected) if got.get(k) != expected.get(k))
        fail(f"result_cooccurrence.csv differs at {wrong[:5]}: "
             f"{[got.get(k) for k in wrong[:5]]} != {[expected.get(k) for k in wrong[:5]]}")
    if not any(sum(row[2:]) for row in got.values()):
        fail("no passages co-occur at all")


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
        with open(os.path.join(corpus, "overlaps.txt"), "w", encoding="utf-8",
                  newline="") as overlaps:
            overlaps.write(OVERLAP_FILE)
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

        cooccurrence_rows = read_table(
            os.path.join(corpus, "result_cooccurrence.csv"),
            ["tag_a", "tag_b", "file", "a_passages", "b_passages", "cooccurring", "identical",
             "a_inside_b", "b_inside_a", "crossing", "c_coefficient"])
        tags = {"emotion": ("<e>", "</e>"), "place": ("<p>", "</p>"), "person": ("<n>", "</n>"),
                "work": ("<w>", "</w>"), "time": ("<t>", "</t>")}
        files = sorted({name for _, name in table})
        check_cooccurrence(corpus, cooccurrence_rows, tags, files)
    print("tables agree with the report")


if __name__ == "__main__":
    main()
