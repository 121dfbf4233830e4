#!/usr/bin/env bash
# The cost of the analysis additions on whole runs: templates without {@passages},
# {@provenance} and {@chart} (plain) against our shipped templates (passages in context,
# provenance, charts); one-file runs without and with --tables, and per-file runs.
#
#   bench/run/analysis_bench.sh [FILES [MB [RUNS]]]     # defaults: 200 files, 20 MB, 5 runs
#
# Same corpus generator (seed 1) as run_bench.sh. The CLI comes from build-bench/bin unless
# FARROWDALE_CLI names another.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${FARROWDALE_CLI:-$root/build-bench/bin/farrowdale-cli}
files=${1:-200}
mb=${2:-20}
runs=${3:-5}
command -v hyperfine >/dev/null || { echo "analysis_bench.sh: hyperfine is missing" >&2; exit 1; }
[ -x "$cli" ] || { echo "analysis_bench.sh: no $cli; build it first" >&2; exit 1; }

export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_corpus.py" --out "$work/corpus" --seed 1 --files "$files" --mb "$mb"
mkdir "$work/plain" "$work/full"
for t in result.tpl resultEx.tpl; do
  cp "$root/templates/$t" "$work/full/$t"
  sed -e 's/{@passages}//; s/{@provenance}//; s/{@chart}//' "$root/templates/$t" >"$work/plain/$t"
done
count() { echo "'$cli' count --tagset '$work/tagset.ini' --templates '$work/$1' ${2:-} '$work/corpus'"; }
hyperfine --warmup 1 --runs "$runs" --export-json "$work/runs.json" \
  -n "plain" "$(count plain --one-file)" -n "new sections" "$(count full --one-file)" \
  -n "plain + --tables" "$(count plain '--one-file --tables')" \
  -n "new sections + --tables" "$(count full '--one-file --tables')" \
  -n "per-file plain" "$(count plain)" -n "per-file new sections" "$(count full)"
python3 "$here/median_table.py" "$work/runs.json" "Median / plain run"
# What the one-file run with new sections and tables writes, against the plain report.
eval "$(count full '--one-file --tables')" >/dev/null
ls -l "$work/corpus/result.htm" "$work/corpus"/result_*.csv | awk '{print $5, $NF}'
eval "$(count plain --one-file)" >/dev/null
ls -l "$work/corpus/result.htm" | awk '{print $5, "plain", $NF}'
