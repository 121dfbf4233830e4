#!/usr/bin/env bash
# What durability costs a whole run: the per-file run of the main corpus (1,000 files,
# 100 MB, 20 tags; make_corpus.py) timed with hyperfine, once as it is and once under
# eatmydata (which turns fsync, fdatasync and sync_file_range into no-ops), for this build
# and, when FARROWDALE_CLI_BEFORE names one, for an earlier build. The corpus is written to a
# folder on a real disk (default: build-bench/durability in the repository, never /dev/shm),
# since a memory file system makes every sync free.
#
#   bench/run/durability_bench.sh [--runs R] [--dir DIR] [--out FILE.md]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${FARROWDALE_CLI:-$root/build-bench/bin/farrowdale-cli}
before=${FARROWDALE_CLI_BEFORE:-}
runs=5
dir=$root/build-bench/durability
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: durability_bench.sh [--runs R] [--dir DIR] [--out FILE.md]" >&2; exit 2 ;;
  esac
done
for tool in hyperfine eatmydata python3; do
  command -v "$tool" >/dev/null || { echo "durability_bench.sh: $tool is missing" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "durability_bench.sh: no $cli; build it first" >&2; exit 1; }
export LC_ALL=C.UTF-8
rm -rf "$dir"
mkdir -p "$dir/templates"
for template in result.tpl resultEx.tpl; do
  sed -e 's/{@passages}//g; s/{@provenance}//g; s/{@chart}//g' \
    "$root/templates/$template" >"$dir/templates/$template"
done
python3 "$here/make_corpus.py" --out "$dir/corpus" --seed 1 --files 1000 --mb 100
echo "corpus: $(du -sb "$dir/corpus" | cut -f1) bytes on $(df --output=fstype "$dir" | tail -1)"
command_of() {  # command_of CLI: the per-file count of the corpus
  printf "'%s' count --tagset '%s' --templates '%s' '%s'" "$1" "$dir/tagset.ini" \
    "$dir/templates" "$dir/corpus"
}
commands=(-n "this build" "$(command_of "$cli")"
          -n "this build, eatmydata" "eatmydata $(command_of "$cli")")
if [ -n "$before" ]; then
  commands+=(-n "earlier build" "$(command_of "$before")"
             -n "earlier build, eatmydata" "eatmydata $(command_of "$before")")
fi
hyperfine --warmup 1 --runs "$runs" --export-json "$dir/times.json" "${commands[@]}" >&2
# Medians of wall time, and CPU time (user + system, mean), which a loaded machine disturbs
# less than the wall clock.
python3 - "$dir/times.json" >"${out:-/dev/stdout}" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
print("| run | wall, median | wall, min | CPU (user + system), mean |")
print("|---|---:|---:|---:|")
for r in results:
    print("| %s | %.3f s | %.3f s | %.3f s |" % (r["command"], r["median"], r["min"],
                                                r["user"] + r["system"]))
PY
rm -rf "$dir"
