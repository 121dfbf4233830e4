#!/usr/bin/env bash
# The window's Count Now on the whole-run corpus (make_corpus.py, in a temporary folder):
# how many times it opens the text files (strace) and how long it takes, from the press to
# the summary, with the window scripted by farrowdale_count_now_bench (per-file reports, the
# shipped templates beside the program, offscreen). With FARROWDALE_BASE_COUNT_NOW naming the
# same program built from an earlier tree, that build is measured in the same way. The same
# count through farrowdale-cli (beside the program, or FARROWDALE_CLI), with the same
# templates, is timed in the same rounds for comparison.
#
#   bench/run/count_now_bench.sh [--files N] [--mb M] [--seed S] [--runs R]  (default 5 runs)
#
# The program comes from build/bin unless FARROWDALE_COUNT_NOW names another; build it with
#   cmake --build build --target farrowdale_count_now_bench
set -euo pipefail
program=${FARROWDALE_COUNT_NOW:-$(cd "$(dirname "$0")/../.." && pwd)/build/bin/farrowdale_count_now_bench}
base=${FARROWDALE_BASE_COUNT_NOW:-}
export FARROWDALE_CLI=${FARROWDALE_CLI:-$(dirname "$program")/farrowdale-cli}
source "$(cd "$(dirname "$0")" && pwd)/corpus_bench_options.sh"
command -v strace >/dev/null || { echo "strace is missing" >&2; exit 1; }
[ -x "$program" ] || { echo "no $program; build it first" >&2; exit 1; }
export LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
work=$(mktemp -d "${WORK_DIR:-/work}/count_now_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
corpus=$work/corpus
python3 "$here/make_corpus.py" --out "$corpus" --seed "$seed" --files "$files" --mb "$mb"
echo "corpus: $(du -sb "$corpus" | cut -f1) bytes in $files files"

# How often the program opens the text files and the tag set, and what the summary shows.
count_opens() {
  local name=$1 binary=$2
  strace -f -qq -e trace=openat -o "$work/strace.log" "$binary" "$corpus" "$work/tagset.ini" \
    >"$work/out.txt"
  local opens texts
  opens=$(grep -c "\"$corpus/text_[0-9]*\.txt\", O_RDONLY" "$work/strace.log" || true)
  texts=$(ls "$corpus"/text_*.txt | wc -l)
  echo "$name: $opens opens of $texts text files ($(grep -c "tagset.ini\", O_RDONLY" \
    "$work/strace.log" || true) of the tag set, choosing it included) under strace"
  grep -E "^(Files counted|Passages found|problem rows)" "$work/out.txt" | sed 's/^/  /'
}

# The press-to-summary wall time, and the CPU time (user + system) of the whole program,
# which other load on the machine disturbs less.
time_once() {
  local name=$1 binary=$2 TIMEFORMAT="%U %S"
  { time "$binary" "$corpus" "$work/tagset.ini" >"$work/out.txt"; } 2>"$work/time.txt"
  echo "  $name: $(grep "^Count Now" "$work/out.txt"), CPU $(awk '{print $1 + $2}' \
    "$work/time.txt") s"
}

# The whole command line's wall and CPU time for the same count, per-file reports with the
# templates beside the window's program.
time_cli() {
  local TIMEFORMAT="%R %U %S"
  { time "$cli" count --tagset "$work/tagset.ini" --templates "$(dirname "$program")" \
    "$corpus" >/dev/null; } 2>"$work/time.txt"
  echo "  farrowdale-cli count: $(awk '{print $1}' "$work/time.txt") s, CPU $(awk \
    '{print $2 + $3}' "$work/time.txt") s"
}

[ -n "$base" ] && count_opens before "$base"
count_opens after "$program"
# Interleaved, so that a change in the machine's load falls on all alike.
for _ in $(seq "$runs"); do
  [ -n "$base" ] && time_once before "$base"
  time_once after "$program"
  if [ -x "$cli" ]; then time_cli; fi
done
