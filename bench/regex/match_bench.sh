#!/usr/bin/env bash
# Whole processes: `farrowdale-cli match --bytes --count PATTERN FILE` against PCRE2 JIT
# (pcre2_count) on the same file, with hyperfine; then the blow-up cases, engine only.
# Usage: bench/regex/match_bench.sh BUILD_DIR [DATA_DIR]
set -euo pipefail
build=${1:?usage: match_bench.sh BUILD_DIR [DATA_DIR]}
data=${2:-"$build/match_bench_data"}
here=$(cd "$(dirname "$0")" && pwd)
cli="$build/bin/farrowdale-cli"
peer="$build/bin/pcre2_count"
json=$(mktemp)
trap 'rm -f "$json"' EXIT
[ -f "$data/prose.txt" ] || python3 "$here/make_subjects.py" "$data"

# Runs hyperfine on the named commands and prints each one's median and its ratio to the
# first one's.
medians() {  # NAME COMMAND [NAME COMMAND]...
  local args=()
  while [ $# -gt 0 ]; do args+=(-n "$1" "$2"); shift 2; done
  hyperfine --warmup 1 --runs 7 -N -i --style none --export-json "$json" "${args[@]}" >/dev/null
  python3 - "$json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
first = results[0]["median"]
for r in results:
    print("  %-12s median %8.3f s  (%.2fx the first)" % (r["command"], r["median"], r["median"] / first))
PY
}

compare() {  # PATTERN FILE
  echo "== $1 on $(basename "$2"): counts $("$cli" match --bytes --count "$1" "$2" || true)" \
       "(engine) and $("$peer" "$1" "$2" || true) (PCRE2)"
  medians engine "$cli match --bytes --count '$1' $2" pcre2-jit "$peer '$1' $2"
}

compare '<e>(.*?)</e>' "$data/prose.txt"
compare '<[nN][oO][tT][eE]>(.*?)</note>' "$data/prose.txt"
compare '(?i)<note>(.*?)</note>' "$data/prose.txt"
compare '(<a>|<b>)(.*?)</[ab]>' "$data/prose.txt"

echo "== 20 MB, begin marker with and without its end marker (engine)"
medians with-end "$cli match --bytes --count '<e>(.*?)</e>' $data/begins.txt" \
  without-end "$cli match --bytes --count '<e>(.*?)</e >' $data/begins.txt"

echo "== blow-up patterns on 100,000 characters (engine)"
medians '(a|aa)+$' "$cli match --bytes --count '(a|aa)+\$' $data/as.txt" \
  '(a+)+b' "$cli match --bytes --count '(a+)+b' $data/as.txt"

echo "== 20 MB, begin marker whose end marker is a class that never comes (engine)"
medians with-end "$cli match --bytes --count '<e>(.*?)</e>' $data/begins.txt" \
  class-end "$cli match --bytes --count '<e>(.*?)[0-9]' $data/begins.txt" \
  any-then-class "$cli match --bytes --count '(.*?)[0-9]' $data/as.txt"
