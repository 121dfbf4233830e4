#!/usr/bin/env python3
"""Runs farrowdale-cli agree on two small coded folders and checks what it prints, the exit
codes, and agreement.csv read back with the csv module: its bytes (byte-order mark, CR LF,
header), the files it leaves out, and every count and measure against a computation of its
own here, straight from the definitions, on the texts with their markers removed; and the
differences agreement.htm lists, each with its kind, places and passage.

    agree_check.py --cli PATH
"""
import argparse
import csv
import html
import io
import os
import re
import subprocess
import sys
import tempfile

HEADER = ("tag,file,characters,a_chars,b_chars,both_chars,percent_all,percent_coded,kappa,"
          "alpha,alpha_u,a_passages,b_passages,matched,a_only,b_only").split(",")
TAGS = {"who": ("<w>", "</w>"), "what": ("<t>", "</t>")}
TAGS_B = {"who": ("[[", "]]"), "what": ("<t>", "</t>")}  # B marks "who" its own way
TAGSET_B = "[what]\nbegin=<t>\nend=</t>\n[who]\nbegin=\\[\\[\nend=\\]\\]\n"

# (relative path, coder A's text, coder B's text); None: the file is missing there.
FILES = [
    ("one.txt",
     "<w>Zo\u00eb</w> met <w>Ann</w> at the caf\u00e9.\r\n<t>They spoke of <w>Bo</w>,\r\n"
     "and of \u00e9t\u00e9</t> plans.\r\n",
     "[[Zo\u00eb]] met Ann at the [[caf\u00e9]].\n<t>They spoke of [[Bo]],\n"
     "and of \u00e9t\u00e9</t> plans.\n"),
    ("two.txt", "A <t>short</t> text.\n", "A <t>short</t> test.\n"),
    ("only.txt", "<w>x</w>\n", None),
    ("sub/deep.txt", "\U0001F600 <t>emoji first</t> then <w>more</w>\n",
     "\U0001F600 <t>emoji first then</t> [[more]]\n"),
    # Matched (39 of 40 characters), but B's passage takes the full stop too.
    ("three.txt", "Line one\n<t>A long passage of some forty characters</t>.\n",
     "Line one\n<t>A long passage of some forty characters.</t>\n"),
    ("many.txt", "<w>x</w> " * 53 + "\n", "x " * 53 + "\n"),
]
LISTED_PER_TAG = 50


def place(text, needle):
    """line:column (code points) where needle first stands in text."""
    at = text.index(needle)
    before = text[:at]
    return f"{before.count(chr(10)) + 1}:{at - (before.rfind(chr(10)) + 1) + 1}"


def expected_differences(a, b):
    """(file, tag, kind, A's place, B's place, A's passage, B's passage) of every listed
    difference but many.txt's, which are counted."""
    files = {path: (text_a, text_b) for path, text_a, text_b in FILES}

    def side(folder, path, coder, needle):
        return f"{folder}/{path}:{place(files[path][coder], needle)}"

    return sorted([
        ("one.txt", "who", "A only", side(a, "one.txt", 0, "Ann"), None, "Ann", None),
        ("one.txt", "who", "B only", None, side(b, "one.txt", 1, "caf\u00e9"), None,
         "caf\u00e9"),
        ("sub/deep.txt", "what", "A only", side(a, "sub/deep.txt", 0, "emoji"), None,
         "emoji first", None),
        ("sub/deep.txt", "what", "B only", None, side(b, "sub/deep.txt", 1, "emoji"),
         None, "emoji first then"),
        ("three.txt", "what", "boundaries differ", side(a, "three.txt", 0, "A long"),
         side(b, "three.txt", 1, "A long"), "A long passage of some forty characters",
         "A long passage of some forty characters."),
    ])


def check_differences(page, a, b):
    """The rows of the page's differences tables against expected_differences, and the
    listing of many.txt's 53 unmatched passages cut at LISTED_PER_TAG."""
    section = page[page.index('<section class="differences"'):]
    section = section[:section.index("</section>")]
    got, many = [], 0
    for block in section.split("<h3>")[1:]:
        path = html.unescape(block[:block.index("</h3>")])
        for kind_class, row in re.findall(r'<tr class="(a-only|b-only|boundaries)">(.*?)</tr>',
                                          block):
            cells = re.findall(r"<td[^>]*>(.*?)</td>", row)
            if path == "many.txt":
                many += 1
                continue
            places, marks = [], []
            for cell in cells[2:4]:
                at = re.search(r'<span class="place">(.*?)</span>', cell)
                mark = re.search(r"<mark>(.*?)</mark>", cell)
                places.append(html.unescape(at.group(1)) if at else None)
                marks.append(html.unescape(mark.group(1)).replace("\u00b7", " ") if mark else None)
            got.append((path, html.unescape(cells[0]), html.unescape(cells[1]), *places, *marks))
    if sorted(got) != expected_differences(a, b):
        fail(f"agreement.htm differences {sorted(got)},\nexpected {expected_differences(a, b)}")
    more = f"and {53 - LISTED_PER_TAG} differences more, not listed"
    if many != LISTED_PER_TAG or more not in section:
        fail(f"agreement.htm: many.txt lists {many} differences, or lacks {more!r}")


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def strip(text, tags):
    """The text without the markers of its passages, LF line ends, and per tag the
    passages as (start, end) of it."""
    text = text.replace("\r\n", "\n")
    removed = [False] * len(text)
    spans = {}
    for name, (begin, end) in tags.items():
        spans[name] = []
        pattern = re.escape(begin) + "(.*?)" + re.escape(end)
        for match in re.finditer(pattern, text, re.S):
            for i in list(range(match.start(), match.start(1))) + list(range(match.end(1), match.end())):
                removed[i] = True
            spans[name].append((match.start(1), match.end(1)))
    kept = [i for i in range(len(text)) if not removed[i]]
    position = {}
    for new, old in enumerate(kept):
        position[old] = new
    stripped = "".join(text[i] for i in kept)

    def place(old):  # the stripped offset of an original one
        while old < len(text) and removed[old]:
            old += 1
        return position.get(old, len(stripped))

    intervals = {}
    for name, found in spans.items():
        intervals[name] = []
        for start, end in found:
            a, b = place(start), place(end)
            while a < b and ord(stripped[a]) <= 32:
                a += 1
            while b > a and ord(stripped[b - 1]) <= 32:
                b -= 1
            if a < b:
                intervals[name].append((a, b))
    return stripped, intervals


def coded(intervals, length):
    marks = [False] * length
    for a, b in intervals:
        for i in range(a, b):
            marks[i] = True
    return marks


def segments(marks):
    out, start = [], 0
    for i in range(1, len(marks) + 1):
        if i == len(marks) or marks[i] != marks[start]:
            out.append((start, i - start, marks[start]))
            start = i
    return out


def unitized(a_marks, b_marks):
    """Do and De of the unitized alpha, term by term (two coders)."""
    L = len(a_marks)
    if L == 0:
        return 0.0, 0.0
    coders = [segments(a_marks), segments(b_marks)]
    d = 0.0
    for i, j in ((0, 1), (1, 0)):
        for bg, lg, ug in coders[i]:
            for bh, lh, uh in coders[j]:
                overlap = min(bg + lg, bh + lh) > max(bg, bh)
                if ug and uh and overlap:
                    d += (bg - bh) ** 2 + (bg + lg - bh - lh) ** 2
                elif ug and not uh and bh <= bg and bg + lg <= bh + lh:
                    d += lg ** 2
                elif uh and not ug and bg <= bh and bh + lh <= bg + lg:
                    d += lh ** 2
    do = d / (2 * L * L)
    units = [l for c in coders for (_, l, u) in c if u]
    gaps = [l for c in coders for (_, l, u) in c if not u]
    num = sum((len(units) - 1) * (2 * l ** 3 - 3 * l ** 2 + l) / 3 +
              l * l * sum(g - l + 1 for g in gaps if g >= l) for l in units)
    den = 2 * L * (2 * L - 1) - sum(l * (l - 1) for l in units)
    return do, (2 / L) * num / den if den > 0 else 0.0


def matched(a, b, threshold=0.9):
    pairs = []
    for i, (s, e) in enumerate(a):
        for j, (t, f) in enumerate(b):
            o = max(0, min(e, f) - max(s, t))
            u = max(e, f) - min(s, t)
            if o > 0 and o >= threshold * u:
                pairs.append((-o, i, j))
    taken_a, taken_b, count = set(), set(), 0
    for _, i, j in sorted(pairs):
        if i not in taken_a and j not in taken_b:
            taken_a.add(i)
            taken_b.add(j)
            count += 1
    return count


def expected_row(n, a, b, both, do, de):
    n11, n10, n01 = both, a - both, b - both
    n00 = n - n11 - n10 - n01
    row = {}
    row["percent_all"] = (n11 + n00) / n if n else None
    row["percent_coded"] = n11 / (n11 + n10 + n01) if n11 + n10 + n01 else None
    pa, pb = (n11 + n10) / n, (n11 + n01) / n
    pe = pa * pb + (1 - pa) * (1 - pb)
    row["kappa"] = ((n11 + n00) / n - pe) / (1 - pe) if pe < 1 else None
    values = 2 * n
    coded_values = a + b
    de_alpha = 2 * coded_values * (values - coded_values) / (values * (values - 1))
    row["alpha"] = 1 - ((n10 + n01) * 2 / values) / de_alpha if de_alpha > 0 else None
    row["alpha_u"] = 1 - do / de if de > 0 else None
    return row


def expected_rows():
    rows = {}
    pooled = {name: {"text": "", "a": [], "b": [], "pa": 0, "pb": 0, "m": 0} for name in TAGS}
    for path, text_a, text_b in sorted(FILES):
        if text_a is None or text_b is None or path == "two.txt":
            continue
        sa, ia = strip(text_a, TAGS)
        sb, ib = strip(text_b, TAGS_B)
        if sa != sb:
            fail(f"the test's own texts of {path} differ: {sa!r} / {sb!r}")
        n = len(sa)
        totals = [0, 0, 0, 0, 0.0, 0.0, 0, 0, 0]
        for name in TAGS:
            am, bm = coded(ia[name], n), coded(ib[name], n)
            a, b = sum(am), sum(bm)
            both = sum(x and y for x, y in zip(am, bm))
            do, de = unitized(am, bm)
            m = matched(ia[name], ib[name])
            rows[(name, path)] = (n, a, b, both, do, de, len(ia[name]), len(ib[name]), m)
            for k, v in enumerate(rows[(name, path)]):
                totals[k] += v
            p = pooled[name]
            p["text"] += sa
            p["a"] += am
            p["b"] += bm
            p["pa"] += len(ia[name])
            p["pb"] += len(ib[name])
            p["m"] += m
        rows[("*", path)] = tuple(totals)
    totals = [0, 0, 0, 0, 0.0, 0.0, 0, 0, 0]
    for name, p in pooled.items():
        do, de = unitized(p["a"], p["b"])
        both = sum(x and y for x, y in zip(p["a"], p["b"]))
        rows[(name, "*")] = (len(p["text"]), sum(p["a"]), sum(p["b"]), both, do, de,
                             p["pa"], p["pb"], p["m"])
        for k, v in enumerate(rows[(name, "*")]):
            totals[k] += v
    rows[("*", "*")] = tuple(totals)
    return rows


def check_table(path):
    data = open(path, "rb").read()
    if not data.startswith(b"\xef\xbb\xbf") or not data.endswith(b"\r\n"):
        fail("agreement.csv: no byte-order mark, or no CR LF at its end")
    records = list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline=""), strict=True))
    if records[0] != HEADER:
        fail(f"agreement.csv: header {records[0]!r}")
    expected = expected_rows()
    got = {(r[0], r[1]): r for r in records[1:]}
    if sorted(got) != sorted(expected):
        fail(f"agreement.csv: rows {sorted(got)}, expected {sorted(expected)}")
    for key, (n, a, b, both, do, de, pa, pb, m) in expected.items():
        record = dict(zip(HEADER, got[key]))
        counts = [n, a, b, both, pa, pb, m, pa - m, pb - m]
        names = ["characters", "a_chars", "b_chars", "both_chars", "a_passages", "b_passages",
                 "matched", "a_only", "b_only"]
        for name, value in zip(names, counts):
            if int(record[name]) != value:
                fail(f"agreement.csv {key}: {name} {record[name]}, expected {value}")
        for name, value in expected_row(n, a, b, both, do, de).items():
            field = record[name]
            if value is None:
                if field != "":
                    fail(f"agreement.csv {key}: {name} {field!r}, expected an empty field")
                continue
            if not re.fullmatch(r"-?\d+\.\d{4,}", field) or abs(float(field) - value) > 1e-6:
                fail(f"agreement.csv {key}: {name} {field!r}, expected {value:.6f}")
    return len(records) - 1


def run(cli, args, expected_exit):
    result = subprocess.run([cli, "agree"] + args, capture_output=True, timeout=60)
    if result.returncode != expected_exit:
        fail(f"agree {args}: exit {result.returncode}, expected {expected_exit}; "
             f"stderr: {result.stderr.decode(errors='replace')}")
    return result.stdout.decode("utf-8")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as root:
        for coder, index in (("A", 1), ("B", 2)):
            for entry in FILES:
                if entry[index] is not None:
                    path = os.path.join(root, coder, entry[0])
                    os.makedirs(os.path.dirname(path), exist_ok=True)
                    with open(path, "wb") as out:
                        out.write(entry[index].encode("utf-8"))
        with open(os.path.join(root, "tags.ini"), "w") as out:
            out.write("[who]\nbegin=<w>\nend=</w>\n[what]\nbegin=<t>\nend=</t>\n")
        with open(os.path.join(root, "tags_b.ini"), "w") as out:
            out.write(TAGSET_B)
        output = os.path.join(root, "out")
        os.mkdir(output)
        a, b = os.path.join(root, "A"), os.path.join(root, "B")
        tags = os.path.join(root, "tags.ini")
        stdout = run(args.cli, ["--tagset", tags, "--tagset-b", os.path.join(root, "tags_b.ini"),
                                "--recursive", "--output", output, a, b], 0)
        for line in (f"  {a}/two.txt:1:18: \"xt.\\n\"", f"  {b}/two.txt:1:18: \"st.\\n\"",
                     "only.txt: only in A, not compared", "4 of 6 files compared"):
            if line not in stdout:
                fail(f"stdout lacks {line!r}:\n{stdout}")
        records = check_table(os.path.join(output, "agreement.csv"))
        page = open(os.path.join(output, "agreement.htm"), encoding="utf-8").read()
        if "Content-Security-Policy" not in page or "<script" in page:
            fail("agreement.htm does not forbid scripts")
        check_differences(page, a, b)
        # Nothing to compare, and a usage error.
        run(args.cli, ["--tagset", tags, "--output", output, a, os.path.join(root, "A", "sub")], 1)
        run(args.cli, ["--tagset", tags, "--min-overlap", "0", a, b], 2)
    print(f"1 passed, 0 failed: {records} records checked")


if __name__ == "__main__":
    main()
