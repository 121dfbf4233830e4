#!/usr/bin/env bash
# Marker check benchmark: generates the whole-run corpus (make_corpus.py) in a temporary
# folder and times, in one hyperfine run, `farrowdale-cli check` against `farrowdale-cli count`
# (per-file reports) on it. count runs the check too (for its one-line pointer to the check),
# so with FARROWDALE_BASE_CLI naming a build from before the check, that count is timed as
# well and the pointer's cost shows.
#
#   bench/run/check_bench.sh [--files N] [--mb M] [--seed S] [--runs R] [--out FILE.md]
#
# The CLI comes from build-bench/bin (Release, -DFARROWDALE_BUILD_BENCH=ON) unless
# FARROWDALE_CLI names another. Everything runs under the C.UTF-8 locale.
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/corpus_bench_options.sh"
base_cli=${FARROWDALE_BASE_CLI:-}
work=$(mktemp -d "${WORK_DIR:-/work}/check_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
tagset=$work/tagset.ini
python3 "$here/make_corpus.py" --out "$corpus" --seed "$seed" --files "$files" --mb "$mb"
echo "corpus: $(du -sb "$corpus" | cut -f1) bytes in $files files"
echo "check: $("$cli" check --tagset "$tagset" "$corpus" | tail -1)"

commands=(-n "farrowdale-cli count (per-file)" "'$cli' count --tagset '$tagset' '$corpus'"
          -n "farrowdale-cli check" "'$cli' check --tagset '$tagset' '$corpus' >/dev/null")
if [ -n "$base_cli" ]; then
  commands+=(-n "count before the check" "'$base_cli' count --tagset '$tagset' '$corpus'")
fi
markdown=${out:-$work/hyperfine.md}
# check exits 1 when it finds problems; the corpus has none, but time it either way.
hyperfine --warmup 1 --runs "$runs" -i --export-markdown "$markdown" \
  --export-json "$work/hyperfine.json" "${commands[@]}"
cat "$markdown"
python3 "$here/median_table.py" "$work/hyperfine.json" "Median / count" --code
