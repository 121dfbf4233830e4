#!/usr/bin/env bash
# Marker check on a corpus whose one tag's end marker occurs millions of times without a
# begin marker (make_quote_corpus.py: 100 MB, 5 million stray `"`): wall time and peak memory
# (/usr/bin/time -v) of `farrowdale-cli check` (its default listing, and --all), and of
# `farrowdale-cli count` (which runs the same check for its one-line pointer) with the whole
# tag set and with the quote tag alone (no passage to report: the check's share shows), for
# the CLI given and, with FARROWDALE_CLI_BEFORE=PATH, an earlier build. One run each, in turn.
#
#   bench/run/stray_end_bench.sh [--files N] [--mb M] [--quotes Q]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${FARROWDALE_CLI:-$root/build-bench/bin/farrowdale-cli}
before=${FARROWDALE_CLI_BEFORE:-}
generate=()
while [ $# -gt 0 ]; do
  case "$1" in
    --files|--mb|--quotes) generate+=("$1" "$2"); shift 2 ;;
    *) echo "usage: stray_end_bench.sh [--files N] [--mb M] [--quotes Q]" >&2; exit 2 ;;
  esac
done
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_quote_corpus.py" --out "$work/corpus" "${generate[@]}"
printf '[quote]\nbegin=<q>\nend="\n' >"$work/quote.ini"
echo "corpus: $(du -sb "$work/corpus" | cut -f1) bytes in $(ls "$work/corpus" | wc -l) files," \
  "$(cat "$work/corpus"/*.txt | tr -cd '"' | wc -c) double quotes"

# Prints "NAME | wall s | peak MiB | lines on stdout" for one command.
measure() {
  local name=$1
  shift
  /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out.txt" 2>/dev/null || true
  local wall peak
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
  peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  echo "| $name | $wall | $((peak / 1024)) | $(wc -l <"$work/out.txt") | $(tail -1 "$work/out.txt") |"
}

echo "| command | wall (m:ss) | peak MiB | stdout lines | last line |"
echo "|---|---|---|---|---|"
for build in before after; do
  exe=$cli
  if [ "$build" = before ]; then
    [ -n "$before" ] || continue
    exe=$before
  fi
  measure "$build: check" "$exe" check --tagset "$work/tagset.ini" "$work/corpus"
  if [ "$build" = after ]; then
    measure "$build: check --all" "$exe" check --all --tagset "$work/tagset.ini" "$work/corpus"
    measure "$build: check --summary" "$exe" check --summary --tagset "$work/tagset.ini" "$work/corpus"
  fi
  rm -f "$work/corpus"/*_result.htm
  measure "$build: count" "$exe" count --templates "$root/templates" --tagset "$work/tagset.ini" "$work/corpus"
  rm -f "$work/corpus"/*_result.htm
  measure "$build: count, quote tag alone" "$exe" count --templates "$root/templates" \
    --tagset "$work/quote.ini" "$work/corpus"
done
