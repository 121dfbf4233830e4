#!/usr/bin/env bash
# The cost of the analysis additions on a whole run: a one-file run whose templates use no
# {@passages}, {@provenance} or {@chart} (the plain run) against the same run with our
# shipped templates (passages in context, provenance, charts), with --tables besides, and
# with both. Same corpus generator as run_bench.sh.
#
#   bench/run/analysis_bench.sh [--files N] [--mb M] [--seed S] [--runs R]
#
# The CLI comes from build-bench/bin unless FARROWDALE_CLI names another.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${FARROWDALE_CLI:-$root/build-bench/bin/farrowdale-cli}
files=200
mb=20
seed=1
runs=5
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --mb) mb=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "usage: analysis_bench.sh [--files N] [--mb M] [--seed S] [--runs R]" >&2; exit 2 ;;
  esac
done
command -v hyperfine >/dev/null || { echo "analysis_bench.sh: hyperfine is missing" >&2; exit 1; }
[ -x "$cli" ] || { echo "analysis_bench.sh: no $cli; build it first" >&2; exit 1; }

export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
tagset=$work/tagset.ini
python3 "$here/make_corpus.py" --out "$corpus" --seed "$seed" --files "$files" --mb "$mb"
echo "corpus: $(du -sb "$corpus" | cut -f1) bytes in $files files"

# The plain templates: ours without the three new placeholders.
mkdir "$work/plain" "$work/full"
for t in result.tpl resultEx.tpl; do
  cp "$root/templates/$t" "$work/full/$t"
  sed -e 's/{@passages}//; s/{@provenance}//; s/{@chart}//' "$root/templates/$t" >"$work/plain/$t"
done
count="'$cli' count --tagset '$tagset' --one-file"
hyperfine --warmup 1 --runs "$runs" --export-json "$work/hyperfine.json" \
  -n "plain" "$count --templates '$work/plain' '$corpus'" \
  -n "new sections" "$count --templates '$work/full' '$corpus'" \
  -n "plain + --tables" "$count --templates '$work/plain' --tables '$corpus'" \
  -n "new sections + --tables" "$count --templates '$work/full' --tables '$corpus'"
python3 - "$work/hyperfine.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
base = results[0]["median"]
print("| Run | Median [s] | Median / plain run |")
print("|:---|---:|---:|")
for r in results:
    print("| %s | %.3f | %.2f |" % (r["command"], r["median"], r["median"] / base))
PY
# Sizes of what the full run writes.
"$cli" count --tagset "$tagset" --one-file --templates "$work/full" --tables "$corpus" >/dev/null
"$cli" count --tagset "$tagset" --one-file --templates "$work/plain" "$corpus" >/dev/null
echo "plain result.htm: $(stat -c %s "$corpus/result.htm") bytes"
"$cli" count --tagset "$tagset" --one-file --templates "$work/full" "$corpus" >/dev/null
echo "full result.htm: $(stat -c %s "$corpus/result.htm") bytes;" \
  "result_counts.csv $(stat -c %s "$corpus/result_counts.csv") bytes;" \
  "result_passages.csv $(stat -c %s "$corpus/result_passages.csv") bytes"
