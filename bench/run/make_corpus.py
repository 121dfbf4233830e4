#!/usr/bin/env python3
"""Writes a deterministic coded corpus and its tag set for the whole-run benchmark.

Files are CR LF text of words drawn from a Zipf-distributed vocabulary (a few words carry
accented letters), with passages of N tags (<t00>...</t00>, <t01>...</t01>, ...; 20 by
default) drawn from a Zipf-distributed pool of passages, a few of them running over a line
break; one passage about every 25 words. With --unique F, that share of the passages gets a
serial number of its own, so that nearly every passage is distinct. Encodings are mixed:
UTF-8 with byte-order mark, UTF-16 LE with byte-order mark, and UTF-8 without a mark (the
system code page under a UTF-8 locale). The tag set is written to tagset.ini beside the
corpus folder. The defaults give the same corpus for the same seed as before the options
--tags, --every and --unique existed.

    make_corpus.py --out DIR [--seed 1] [--files 1000] [--mb 100] [--tags 20] [--every 25]
                   [--unique 0]
"""
import argparse
import itertools
import os
import random

def zipf_weights(n):
    return list(itertools.accumulate(1.0 / (k + 1) for k in range(n)))


def make_vocabulary(rng, size):
    letters = "abcdefghijklmnopqrstuvwxyz"
    accented = ["caf\u00e9", "na\u00efve", "Z\u00fcrich", "se\u00f1ora", "\u00e9t\u00e9",
                "fa\u00e7ade", "gr\u00fc\u00dfe", "ni\u00f1o"]
    words = accented[:]
    seen = set(words)
    while len(words) < size:
        word = "".join(rng.choice(letters) for _ in range(rng.randint(2, 9)))
        if word not in seen:
            seen.add(word)
            words.append(word)
    rng.shuffle(words)
    return words


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--files", type=int, default=1000)
    parser.add_argument("--mb", type=float, default=100.0)
    parser.add_argument("--tags", type=int, default=20)
    parser.add_argument("--every", type=int, default=25, help="words per passage, about")
    parser.add_argument("--unique", type=float, default=0.0, help="share of distinct passages")
    args = parser.parse_args()
    shape = Shape(args.tags, args.every, args.unique)

    rng = random.Random(args.seed)
    vocabulary = make_vocabulary(rng, 5000)
    vocabulary_weights = zipf_weights(len(vocabulary))
    passages = []
    for _ in range(4000):
        words = rng.choices(vocabulary, cum_weights=vocabulary_weights, k=rng.randint(1, 5))
        passages.append(" ".join(words))
    passage_weights = zipf_weights(len(passages))

    os.makedirs(args.out, exist_ok=True)
    mean_bytes = args.mb * 1e6 / args.files
    for index in range(args.files):
        size = min(max(rng.lognormvariate(0, 0.6) * mean_bytes / 1.2, mean_bytes / 10),
                   mean_bytes * 6)
        kind = rng.choices(["utf8bom", "utf16le", "plain"], weights=[4, 3, 3])[0]
        chars = int(size / 2) if kind == "utf16le" else int(size)
        text = make_text(rng, chars, vocabulary, vocabulary_weights, passages, passage_weights,
                         shape)
        if kind == "utf8bom":
            data = b"\xef\xbb\xbf" + text.encode("utf-8")
        elif kind == "utf16le":
            data = b"\xff\xfe" + text.encode("utf-16-le")
        else:
            data = text.encode("utf-8")
        with open(os.path.join(args.out, "text_%04d.txt" % index), "wb") as out:
            out.write(data)

    lines = []
    for tag in range(args.tags):
        colour = "%02X%02X%02X" % (rng.randrange(256), rng.randrange(256), rng.randrange(256))
        lines += ["[t%02d]" % tag, "begin=<t%02d>" % tag, "end=</t%02d>" % tag,
                  "color=" + colour, ""]
    tagset = os.path.join(os.path.dirname(os.path.abspath(args.out)), "tagset.ini")
    with open(tagset, "w", newline="") as out:
        out.write("\r\n".join(lines))


class Shape:
    """How passages are laid out: the number of tags, words per passage, distinct share."""

    def __init__(self, tags, every, unique):
        self.tags = tags
        self.every = every
        self.unique = unique
        self.serial = 0

    def unique_suffix(self, rng):
        if self.unique <= 0 or rng.random() >= self.unique:
            return ""
        self.serial += 1
        return " n%d" % self.serial


def make_text(rng, chars, vocabulary, vocabulary_weights, passages, passage_weights, shape):
    """About `chars` characters: lines of about 12 words, a passage every `shape.every` words."""
    words = rng.choices(vocabulary, cum_weights=vocabulary_weights, k=max(chars // 7, 1))
    every = shape.every
    slots = len(words) // every
    chosen = rng.choices(passages, cum_weights=passage_weights, k=slots)
    for slot, passage in enumerate(chosen):
        tag = rng.randrange(shape.tags)
        if " " in passage and rng.random() < 0.05:
            passage = passage.replace(" ", "\r\n", 1)
        passage += shape.unique_suffix(rng)
        words[slot * every + rng.randrange(every)] = "<t%02d>%s</t%02d>" % (tag, passage, tag)
    lines = (" ".join(words[i:i + 12]) for i in range(0, len(words), 12))
    return "\r\n".join(lines) + "\r\n"


if __name__ == "__main__":
    main()
