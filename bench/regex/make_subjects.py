#!/usr/bin/env python3
"""Deterministic subjects for match_bench.sh, written into the folder given.

prose.txt     50 MB of words with <e>, <note>/<NOTE>, <a>/<b> passages among them
begins.txt    20 MB with "<e>" begin markers and "</e>" end markers
as.txt        100,000 'a' characters, then "!b" (so that a required "b" is no shortcut)
passage.txt   one 100 MB passage: "<x>", prose with the other markers in it, then "</z>"

Files already there are kept.
"""
import random
import sys
from pathlib import Path


def prose(rng, size):
    words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
             for _ in range(5000)]
    weights = [1.0 / (k + 1) for k in range(len(words))]
    out, length = [], 0
    while length < size:
        chunk = rng.choices(words, weights, k=40)
        roll = rng.random()
        if roll < 0.3:
            chunk.insert(10, "<e>")
            chunk.insert(20, "</e>")
        elif roll < 0.4:
            chunk.insert(5, rng.choice(["<note>", "<NOTE>", "<Note>"]))
            chunk.insert(15, "</note>")
        elif roll < 0.5:
            tag = rng.choice("ab")
            chunk.insert(5, "<%s>" % tag)
            chunk.insert(12, "</%s>" % tag)
        line = " ".join(chunk) + "\r\n"
        out.append(line)
        length += len(line)
    return "".join(out)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    rng = random.Random(20261207)
    if not (folder / "as.txt").exists():
        (folder / "prose.txt").write_text(prose(rng, 50 << 20), encoding="ascii", newline="")
        (folder / "begins.txt").write_text(prose(rng, 20 << 20), encoding="ascii", newline="")
        (folder / "as.txt").write_text("a" * 100000 + "!b", encoding="ascii", newline="")
    if not (folder / "passage.txt").exists():
        text = "<x>" + prose(random.Random(20261208), 100 << 20) + "</z>\r\n"
        (folder / "passage.txt").write_text(text, encoding="ascii", newline="")


if __name__ == "__main__":
    main()
