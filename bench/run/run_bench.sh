#!/usr/bin/env bash
# Whole-run benchmark: for each scenario, generates a coded corpus (make_corpus.py) in a
# temporary folder and runs one hyperfine comparison of `farrowdale-cli count` against a
# Python re + Counter script (count_passages.py); the main scenario also times the one-file
# mode, a ripgrep + sort + uniq -c pipeline (rg_count.sh) and `cat` of the corpus (the
# floor). Then peak memory (/usr/bin/time -v) of the per-file and the one-file mode, the
# latter on a corpus where nearly every passage is distinct.
#
#   bench/run/run_bench.sh [--only LIST] [--seed S] [--runs R] [--dir DIR] [--out FILE.md]
#
# Corpora and reports go to DIR (default: build-bench/run-disk in the repository, on the disk
# the repository is on; a memory file system such as /dev/shm or a tmpfs /tmp would make
# every sync free), which is removed at the end.
#
# Scenarios (LIST: comma-separated names; default all):
#   main         1,000 files, 100 MB, 20 tags
#   one-tag      the same with 1 tag
#   eighty-tags  the same with 80 tags
#   small-files  10,000 files of about 10 KB, 20 tags
#   memory       139 MB, 1,000 files, 20 tags, about 1.1 million distinct passages
#
# farrowdale-cli runs with `--jobs 1` and with its default (every core) where it knows
# --jobs, and with plain templates (the repository's, without the passages, provenance and
# chart placeholders). The CLI comes from build-bench/bin (Release,
# -DFARROWDALE_BUILD_BENCH=ON) unless FARROWDALE_CLI names another; FARROWDALE_CLI_BEFORE
# may name an earlier build, timed in the same runs with its defaults. Everything runs under
# the C.UTF-8 locale, so files without a byte-order mark are UTF-8 for every tool.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${FARROWDALE_CLI:-$root/build-bench/bin/farrowdale-cli}
before=${FARROWDALE_CLI_BEFORE:-}
only=main,one-tag,eighty-tags,small-files,memory
seed=1
runs=5
dir=$root/build-bench/run-disk
out=""
usage="usage: run_bench.sh [--only LIST] [--seed S] [--runs R] [--dir DIR] [--out FILE.md]"
while [ $# -gt 0 ]; do
  case "$1" in
    --only) only=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
for tool in hyperfine rg python3; do
  command -v "$tool" >/dev/null || { echo "run_bench.sh: $tool is missing" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "run_bench.sh: /usr/bin/time is missing (package time)" >&2; exit 1; }
[ -x "$cli" ] || { echo "run_bench.sh: no $cli; build it first" >&2; exit 1; }

export LC_ALL=C.UTF-8
rm -rf "$dir"
mkdir -p "$dir"
work=$(cd "$dir" && pwd)
trap 'rm -rf "$work"' EXIT
echo "working folder $work on $(df --output=fstype "$work" | tail -1)" >&2
markdown=${out:-$work/results.md}
: >"$markdown"
summary=$work/summary.md

templates=$work/templates
mkdir "$templates"
for template in result.tpl resultEx.tpl; do
  sed -e 's/{@passages}//g; s/{@provenance}//g; s/{@chart}//g' \
    "$root/templates/$template" >"$templates/$template"
done
if "$cli" count --help | grep -q -- '--jobs'; then
  one_job=(--jobs 1)
else
  one_job=()
  echo "note: $cli has no --jobs; its runs use its own default" >&2
fi

# make_corpus ARGS...: a fresh corpus in $work/corpus and its tag set $work/tagset.ini.
make_corpus() {
  rm -rf "$work/corpus"
  python3 "$here/make_corpus.py" --out "$work/corpus" --seed "$seed" "$@"
  echo "corpus ($*): $(du -sb "$work/corpus" | cut -f1) bytes;" \
    "largest file $(find "$work/corpus" -name '*.txt' -printf '%s\n' | sort -n | tail -1) bytes"
}

count_command() {  # count_command ARGS...: the farrowdale-cli count command line, quoted
  count_command_of "$cli" "$@"
}

count_command_of() {  # count_command_of CLI ARGS...
  local program=$1
  shift
  printf "'%s' count --tagset '%s' --templates '%s'" "$program" "$work/tagset.ini" "$templates"
  printf " %s" "$@"
  printf " '%s'" "$work/corpus"
}

# time_scenario NAME [hyperfine -n NAME COMMAND pairs...]: the farrowdale-cli runs and the
# Python peer, then the earlier build and any further commands; one summary row of medians
# (wall clock), mean CPU time (user + system) and ratios.
time_scenario() {
  local name=$1
  shift
  local earlier=()
  [ -n "$before" ] && earlier=(-n "earlier build: farrowdale-cli count" "$(count_command_of "$before")")
  echo "### $name" >>"$markdown"
  hyperfine --warmup 1 --runs "$runs" --export-markdown "$work/$name.md" \
    --export-json "$work/$name.json" \
    -n "farrowdale-cli count --jobs 1" "$(count_command "${one_job[@]}")" \
    -n "farrowdale-cli count (every core)" "$(count_command)" \
    -n "python3 re + Counter" \
    "python3 '$here/count_passages.py' '$work/tagset.ini' '$work/corpus' '$work/py.out'" \
    "${earlier[@]}" "$@"
  cat "$work/$name.md" >>"$markdown"
  python3 - "$name" "$work/$name.json" "${before:+yes}" >>"$summary" <<'PY'
import json, sys
name, path, has_before = sys.argv[1], sys.argv[2], sys.argv[3] == "yes"
results = json.load(open(path))["results"]
medians = [r["median"] for r in results]
cpu = [r["user"] + r["system"] for r in results]
one, every, python = medians[:3]
row = "| %s | %.3f (%.2f) | %.3f (%.2f) | %.3f (%.2f) | %.1fx | %.1fx |" % (
    name, one, cpu[0], every, cpu[1], python, cpu[2], python / one, python / every)
if has_before:
    row += " %.3f (%.2f) | %.1fx |" % (medians[3], cpu[3], python / medians[3])
print(row)
PY
}

peak_kib() {  # peak_kib ARGS...: peak resident memory of farrowdale-cli count ARGS, in KiB
  /usr/bin/time -v "$cli" count --tagset "$work/tagset.ini" --templates "$templates" "$@" \
    2>&1 >/dev/null | awk '/Maximum resident/ {print $NF}'
}

selected() { [[ ",$only," == *",$1,"* ]]; }

if selected main; then
  make_corpus --files 1000 --mb 100
  time_scenario main \
    -n "farrowdale-cli count --one-file" "$(count_command --one-file)" \
    -n "ripgrep + sort + uniq -c" "bash '$here/rg_count.sh' '$work/corpus' '$work/rg.out'" \
    -n "cat (floor)" "cat '$work/corpus'/*.txt >/dev/null"
  mkdir -p "$work/empty"
  echo "peak memory, per-file mode: $(peak_kib "$work/corpus") KiB; on an empty folder:" \
    "$(peak_kib "$work/empty") KiB" | tee -a "$markdown"
fi
if selected one-tag; then
  make_corpus --files 1000 --mb 100 --tags 1
  time_scenario one-tag
fi
if selected eighty-tags; then
  make_corpus --files 1000 --mb 100 --tags 80
  time_scenario eighty-tags
fi
if selected small-files; then
  make_corpus --files 10000 --mb 100
  time_scenario small-files
fi
if selected memory; then
  make_corpus --files 1000 --mb 139 --every 12 --unique 0.95
  corpus_bytes=$(du -sb "$work/corpus" | cut -f1)
  peak=$(peak_kib --one-file "$work/corpus")
  mkdir -p "$work/empty"
  # Distinct (tag, passage) pairs of the whole corpus, by the Python peer's extraction.
  python3 "$here/count_passages.py" "$work/tagset.ini" "$work/corpus" "$work/py.out"
  distinct=$(cut -f2,4 "$work/py.out" | sort -u | wc -l)
  echo "peak memory, one-file mode: $peak KiB; on an empty folder: $(peak_kib "$work/empty")" \
    "KiB; limit (corpus + 16 MiB): $(( corpus_bytes / 1024 + 16384 )) KiB;" \
    "about $distinct distinct passages" | tee -a "$markdown"
fi

if [ -s "$summary" ]; then
  {
    # Medians of wall-clock time, mean CPU time (user + system) in parentheses.
    header="| scenario | --jobs 1 [s] | every core [s] | Python [s] | Python / --jobs 1 | Python / every core |"
    rule="|:---|---:|---:|---:|---:|---:|"
    [ -n "$before" ] && header="$header earlier build [s] | Python / earlier |" && rule="$rule---:|---:|"
    echo "$header"
    echo "$rule"
    cat "$summary"
  } | tee -a "$markdown"
fi
