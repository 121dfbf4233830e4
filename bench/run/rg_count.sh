#!/usr/bin/env bash
# Peer of `farrowdale-cli count` for the benchmark: for each of the 20 tags, ripgrep extracts
# every passage between <tNN> and </tNN> (lazy, across line breaks) from every file of the
# folder, and sort | uniq -c counts the distinct passages per file. ripgrep reads the UTF-16
# files through their byte-order mark. With --null-data every file is one record and every
# match is printed NUL-terminated, so passages that hold line breaks stay whole.
#   rg_count.sh DIR OUT
set -euo pipefail
dir=$1
out=$2
: >"$out"
for t in $(seq -w 0 19); do
  rg --null-data --only-matching --with-filename --no-line-number --sort path \
    -r '$1' "(?s)<t$t>(.*?)</t$t>" "$dir" -g '*.txt' |
    LC_ALL=C sort -z | uniq -zc | tr '\0' '\n' >>"$out" || true
done
