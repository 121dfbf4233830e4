#!/usr/bin/env bash
# Whole-run benchmark: generates the coded corpus (make_corpus.py) in a temporary folder and
# runs one hyperfine comparison of `farrowdale-cli count` (per-file and one-file) against a
# ripgrep + sort + uniq -c pipeline (rg_count.sh), a Python re + Counter script
# (count_passages.py) and `cat` of the corpus (the floor); then the peak memory of the
# per-file mode with /usr/bin/time -v.
#
#   bench/run/run_bench.sh [--files N] [--mb M] [--seed S] [--runs R] [--out FILE.md]
#
# The CLI comes from build-bench/bin (Release, -DFARROWDALE_BUILD_BENCH=ON) unless
# FARROWDALE_CLI names another. Everything runs under the C.UTF-8 locale, so files without a
# byte-order mark are UTF-8 for every tool.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${FARROWDALE_CLI:-$root/build-bench/bin/farrowdale-cli}
files=1000
mb=100
seed=1
runs=5
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --mb) mb=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: run_bench.sh [--files N] [--mb M] [--seed S] [--runs R] [--out FILE.md]" >&2
       exit 2 ;;
  esac
done
for tool in hyperfine rg python3; do
  command -v "$tool" >/dev/null || { echo "run_bench.sh: $tool is missing" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "run_bench.sh: /usr/bin/time is missing (package time)" >&2; exit 1; }
[ -x "$cli" ] || { echo "run_bench.sh: no $cli; build it first" >&2; exit 1; }

export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
tagset=$work/tagset.ini
python3 "$here/make_corpus.py" --out "$corpus" --seed "$seed" --files "$files" --mb "$mb"
echo "corpus: $(du -sb "$corpus" | cut -f1) bytes in $files files;" \
  "largest file $(find "$corpus" -name '*.txt' -printf '%s\n' | sort -n | tail -1) bytes"

markdown=${out:-$work/hyperfine.md}
hyperfine --warmup 1 --runs "$runs" --export-markdown "$markdown" \
  --export-json "$work/hyperfine.json" \
  -n "farrowdale-cli count (per-file)" "'$cli' count --tagset '$tagset' '$corpus'" \
  -n "farrowdale-cli count --one-file" "'$cli' count --tagset '$tagset' --one-file '$corpus'" \
  -n "ripgrep + sort + uniq -c" "bash '$here/rg_count.sh' '$corpus' '$work/rg.out'" \
  -n "python3 re + Counter" "python3 '$here/count_passages.py' '$corpus' '$work/py.out'" \
  -n "cat (floor)" "cat '$corpus'/*.txt >/dev/null"
cat "$markdown"
# Medians, and each one's ratio to farrowdale-cli count (per-file).
python3 - "$work/hyperfine.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
base = results[0]["median"]
print("| Command | Median [s] | Median / per-file run |")
print("|:---|---:|---:|")
for r in results:
    print("| `%s` | %.3f | %.2f |" % (r["command"], r["median"], r["median"] / base))
PY

# Peak memory of the per-file mode, and of the same command on an empty folder (the
# process's own baseline: libraries, ICU data).
peak_kib() {
  /usr/bin/time -v "$cli" count --tagset "$tagset" "$1" 2>&1 >/dev/null |
    awk '/Maximum resident/ {print $NF}'
}
mkdir "$work/empty"
largest_report=$(find "$corpus" -name '*_result.htm' -printf '%s\n' | sort -n | tail -1)
echo "peak memory, per-file mode: $(peak_kib "$corpus") KiB; on an empty folder:" \
  "$(peak_kib "$work/empty") KiB; largest per-file report ${largest_report:-0} bytes"
