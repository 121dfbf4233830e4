#!/usr/bin/env python3
"""Writes a coded corpus in which every passage is distinct, for measuring peak memory, and its
tag set (tagset.ini beside the corpus folder, tags t00, t01, ...).

The corpus is --passages passages spread evenly over --files UTF-8 files of --mb megabytes
in all, each passage on a line of its own and as long as its share of the bytes allows:
"<tNN>", a serial number that makes it distinct, words up to its share, "</tNN>". Passages
take the tags in turn. So `--passages 300000 --mb 20` gives passages of about 50 bytes,
`--passages 1500000 --mb 47` of about 18, and `--files 1 --passages 1 --mb 100` one file
holding one passage of 100 MB.

    make_distinct_corpus.py --out DIR --passages N --mb M [--files 100] [--tags 1] [--seed 1]
"""
import argparse
import os
import random


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--passages", type=int, required=True)
    parser.add_argument("--mb", type=float, required=True)
    parser.add_argument("--files", type=int, default=100)
    parser.add_argument("--tags", type=int, default=1)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 8)))
             for _ in range(2000)]
    filler = " ".join(rng.choice(words) for _ in range(200000))
    slot = args.mb * 1e6 / args.passages  # bytes per passage, markers and line end included
    os.makedirs(args.out, exist_ok=True)
    serial = 0
    for index in range(args.files):
        count = args.passages // args.files + (index < args.passages % args.files)
        with open(os.path.join(args.out, "text_%04d.txt" % index), "wb") as out:
            for _ in range(count):
                tag = "t%02d" % (serial % args.tags)
                head = "<%s>%x " % (tag, serial)
                room = max(int(slot) - len(head) - len(tag) - 5, 0)
                start = rng.randrange(len(filler) // 2)
                out.write(head.encode())
                while room > 0:  # long passages: the filler over and over
                    piece = filler[start:start + room]
                    out.write(piece.encode())
                    room -= len(piece)
                    start = 0
                out.write(("</%s>\r\n" % tag).encode())
                serial += 1
    lines = []
    for tag in range(args.tags):
        lines += ["[t%02d]" % tag, "begin=<t%02d>" % tag, "end=</t%02d>" % tag,
                  "color=%06X" % rng.randrange(1 << 24), ""]
    tagset = os.path.join(os.path.dirname(os.path.abspath(args.out)), "tagset.ini")
    with open(tagset, "w", newline="") as out:
        out.write("\r\n".join(lines))


if __name__ == "__main__":
    main()
