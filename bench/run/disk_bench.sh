#!/usr/bin/env bash
# The default a user gets, on a real disk: the per-file run of the main corpus (1,000 files,
# 100 MB, 20 tags; make_corpus.py) timed in one hyperfine run against the Python re + Counter
# peer (count_passages.py), with the plain templates (the repository's without the passages,
# provenance and chart placeholders) and the shipped ones, with `--jobs 1` and the default job
# count, each as it is and under eatmydata (which turns fsync, fdatasync and sync_file_range
# into no-ops, so the difference is what durability costs). With FARROWDALE_CLI_BEFORE naming
# an earlier build, its plain- and shipped-template runs join the same hyperfine run. The
# corpus and the reports are written to a folder on a real disk (default: build-bench/disk in
# the repository; a memory file system would make every sync free). Prints a Markdown table of
# medians, CPU times and ratios; hyperfine's own table goes to stderr.
#
# hyperfine runs each command's runs one after the other. On a file system that slows down as
# the reports of earlier runs are deleted (ext4 without a journal skips recently freed inodes
# when it allocates one), the commands timed later pay for those timed before them: compare
# builds with interleaved_bench.py, which times them round by round.
#
# With --syscalls, one plain-template `--jobs 1` run of each build is counted under
# `strace -c -f` first, and its sync calls (fsync, fdatasync, syncfs, sync_file_range) and
# renames are listed before the table.
#
#   bench/run/disk_bench.sh [--runs R] [--dir DIR] [--out FILE.md] [--syscalls]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${FARROWDALE_CLI:-$root/build-bench/bin/farrowdale-cli}
before=${FARROWDALE_CLI_BEFORE:-}
runs=5
dir=$root/build-bench/disk
out=""
syscalls=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --syscalls) syscalls=1; shift ;;
    *) echo "usage: disk_bench.sh [--runs R] [--dir DIR] [--out FILE.md] [--syscalls]" >&2
       exit 2 ;;
  esac
done
for tool in hyperfine eatmydata python3 ${syscalls:+strace}; do
  command -v "$tool" >/dev/null || { echo "disk_bench.sh: $tool is missing" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "disk_bench.sh: no $cli; build it first" >&2; exit 1; }
export LC_ALL=C.UTF-8
rm -rf "$dir"
mkdir -p "$dir/plain" "$dir/shipped"
cp "$root/templates/result.tpl" "$root/templates/resultEx.tpl" "$dir/shipped/"
for template in result.tpl resultEx.tpl; do
  sed -e 's/{@passages}//g; s/{@provenance}//g; s/{@chart}//g' \
    "$root/templates/$template" >"$dir/plain/$template"
done
python3 "$here/make_corpus.py" --out "$dir/corpus" --seed 1 --files 1000 --mb 100
echo "corpus: $(du -sb "$dir/corpus" | cut -f1) bytes on $(df --output=fstype "$dir" | tail -1);" \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)" >&2

command_of() {  # command_of CLI TEMPLATES [OPTION...]: a per-file count of the corpus
  local program=$1 templates=$2
  shift 2
  printf "'%s' count --tagset '%s' --templates '%s/%s'" "$program" "$dir/tagset.ini" "$dir" \
    "$templates"
  printf " %s" "$@"
  printf " '%s'" "$dir/corpus"
}
commands=(-n "python3 re + Counter"
          "python3 '$here/count_passages.py' '$dir/tagset.ini' '$dir/corpus' '$dir/py.out'")
for templates in plain shipped; do
  for jobs in "--jobs 1" ""; do
    label="$templates, ${jobs:-default jobs}"
    commands+=(-n "$label" "$(command_of "$cli" "$templates" $jobs)"
               -n "$label, eatmydata" "eatmydata $(command_of "$cli" "$templates" $jobs)")
  done
done
if [ -n "$before" ]; then
  for templates in plain shipped; do
    commands+=(-n "earlier build: $templates, --jobs 1" "$(command_of "$before" "$templates" --jobs 1)"
               -n "earlier build: $templates, default jobs" "$(command_of "$before" "$templates")")
  done
fi
if [ -n "$syscalls" ]; then
  for program in "$cli" $before; do
    eval "strace -c -f -o '$dir/strace.txt' $(command_of "$program" plain --jobs 1)" >/dev/null
    echo "sync calls and renames of $program, plain, --jobs 1:" \
      "$(awk '$NF ~ /^(fsync|fdatasync|syncfs|sync_file_range|rename)$/ {
                printf "%s%s %s", (n++ ? ", " : ""), $NF, $4}' "$dir/strace.txt")" \
      >>"$dir/syscalls.txt"
  done
fi
hyperfine --warmup 1 --runs "$runs" --export-json "$dir/times.json" "${commands[@]}" >&2
# Wall-clock medians, mean CPU time (user + system, which a loaded machine disturbs less),
# Python's median over each, and each run over the same run under eatmydata.
{ [ -f "$dir/syscalls.txt" ] && { cat "$dir/syscalls.txt"; echo; }
python3 - "$dir/times.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
by_name = {r["command"]: r for r in results}
python = by_name["python3 re + Counter"]["median"]
print("| run | wall, median [s] | CPU, mean [s] | Python / run | run / eatmydata |")
print("|:---|---:|---:|---:|---:|")
for r in results:
    synced = by_name.get(r["command"] + ", eatmydata")
    print("| %s | %.3f | %.2f | %.1fx | %s |" % (
        r["command"], r["median"], r["user"] + r["system"], python / r["median"],
        "%.2f" % (r["median"] / synced["median"]) if synced else ""))
print()
for build in ("", "earlier build: "):
    for jobs in ("--jobs 1", "default jobs"):
        plain = by_name.get(build + "plain, " + jobs)
        shipped = by_name.get(build + "shipped, " + jobs)
        if plain and shipped:
            print("%sshipped / plain templates, %s: %.2f (CPU %.2f)" % (
                build, jobs, shipped["median"] / plain["median"],
                (shipped["user"] + shipped["system"]) / (plain["user"] + plain["system"])))
PY
} >"${out:-/dev/stdout}"
rm -rf "$dir"
