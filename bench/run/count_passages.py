#!/usr/bin/env python3
"""Peer of `farrowdale-cli count` for the benchmark: for every file of a folder and every tag
of the 20 in the generated tag set, extracts the passages between <tNN> and </tNN> (lazy,
across line breaks), trims them and counts the distinct ones with collections.Counter.
Files are decoded by their byte-order mark, UTF-8 without one.

    count_passages.py DIR OUT
"""
import collections
import os
import re
import sys

PATTERNS = [(tag, re.compile(r"<t%02d>(.*?)</t%02d>" % (tag, tag), re.S)) for tag in range(20)]


def decode(data):
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    if data.startswith(b"\xfe\xff"):
        return data[2:].decode("utf-16-be")
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8", "replace")
    return data.decode("utf-8", "replace")


def main():
    folder, out_path = sys.argv[1], sys.argv[2]
    with open(out_path, "w", encoding="utf-8") as out:
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".txt"):
                continue
            with open(os.path.join(folder, name), "rb") as f:
                text = decode(f.read())
            for tag, pattern in PATTERNS:
                counts = collections.Counter(
                    p for p in (m.strip() for m in pattern.findall(text)) if p)
                for passage, count in counts.most_common():
                    out.write("%s\tt%02d\t%d\t%s\n" % (name, tag, count, passage))


if __name__ == "__main__":
    main()
