#!/usr/bin/env python3
"""Writes a deterministic corpus in which one tag's end marker occurs millions of times.

Each line is a short speech of a play, `<sp>NAME: "words" ... "words"</sp>`, with two double
quotes per line and a `<q>...</q>`-free text, so that every `"` is an end marker of the tag
`quote` (begin `<q>`, end `"`) with no begin marker before it. The tag `speech` (`<sp>`,
`</sp>`) is clean. The tag set goes to tagset.ini beside the corpus folder.

    make_quote_corpus.py --out DIR [--files 200] [--mb 100] [--quotes 5000000] [--seed 1]
"""
import argparse
import os
import random


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--files", type=int, default=200)
    parser.add_argument("--mb", type=int, default=100)
    parser.add_argument("--quotes", type=int, default=5_000_000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    names = ["HAMLET", "OPHELIA", "LAERTES", "HORATIO", "GERTRUDE", "POLONIUS"]
    words = ["to", "be", "or", "not", "that", "is", "the", "question", "whether", "tis",
             "nobler", "in", "mind", "suffer", "slings", "arrows"]
    lines_total = args.quotes // 2
    line_bytes = args.mb * 1_000_000 // lines_total  # about 40 bytes per line
    os.makedirs(args.out, exist_ok=True)
    per_file = lines_total // args.files
    for index in range(args.files):
        lines = []
        for _ in range(per_file):
            head = "<sp>" + rng.choice(names) + ": \""
            body = []
            length = len(head) + 7  # the second quote, </sp> and the line end
            while length < line_bytes - 1:
                word = rng.choice(words)
                body.append(word)
                length += len(word) + 1
            cut = rng.randint(1, max(1, len(body) - 1))
            lines.append(head + " ".join(body[:cut]) + "\" " + " ".join(body[cut:]) + "</sp>\n")
        with open(os.path.join(args.out, "play%04d.txt" % index), "w", encoding="utf-8") as out:
            out.write("".join(lines))
    with open(os.path.join(os.path.dirname(os.path.abspath(args.out)), "tagset.ini"), "w") as ini:
        ini.write("[speech]\nbegin=<sp>\nend=</sp>\n[quote]\nbegin=<q>\nend=\"\n")


if __name__ == "__main__":
    main()
