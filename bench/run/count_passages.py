#!/usr/bin/env python3
"""Peer of `farrowdale-cli count` for the benchmark: for every file of a folder and every tag
of the tag set, extracts the passages between the tag's begin and end markers (the same
pattern text, begin + "(.*?)" + end, lazy, across line breaks), trims them and counts the
distinct ones with collections.Counter. Files are decoded by their byte-order mark, UTF-8
without one.

    count_passages.py TAGSET DIR OUT
"""
import collections
import configparser
import os
import re
import sys


def load_patterns(tagset_path):
    tagset = configparser.ConfigParser(interpolation=None)
    tagset.read(tagset_path, encoding="utf-8")
    return [(name, re.compile(tagset[name]["begin"] + "(.*?)" + tagset[name]["end"], re.S))
            for name in tagset.sections()]


def decode(data):
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    if data.startswith(b"\xfe\xff"):
        return data[2:].decode("utf-16-be")
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8", "replace")
    return data.decode("utf-8", "replace")


def main():
    tagset_path, folder, out_path = sys.argv[1], sys.argv[2], sys.argv[3]
    patterns = load_patterns(tagset_path)
    with open(out_path, "w", encoding="utf-8") as out:
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".txt"):
                continue
            with open(os.path.join(folder, name), "rb") as f:
                text = decode(f.read())
            for tag, pattern in patterns:
                counts = collections.Counter(
                    p for p in (m.strip() for m in pattern.findall(text)) if p)
                for passage, count in counts.most_common():
                    out.write("%s\t%s\t%d\t%s\n" % (name, tag, count, passage))


if __name__ == "__main__":
    main()
