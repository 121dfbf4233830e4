#!/usr/bin/env bash
# Whole processes: `farrowdale-cli match --count PATTERN FILE` against PCRE2 JIT
# (pcre2_count) on the same file, with hyperfine; then the blow-up cases, engine only.
# Usage: bench/regex/match_bench.sh BUILD_DIR [DATA_DIR]
set -euo pipefail
build=${1:?usage: match_bench.sh BUILD_DIR [DATA_DIR]}
data=${2:-"$build/match_bench_data"}
here=$(cd "$(dirname "$0")" && pwd)
cli="$build/bin/farrowdale-cli"
peer="$build/bench/regex/pcre2_count"
[ -f "$data/prose.txt" ] || python3 "$here/make_subjects.py" "$data"

compare() {  # PATTERN FILE
  echo "== $1 on $(basename "$2"): counts $("$cli" match --count "$1" "$2" || true)" \
       "(engine) and $("$peer" "$1" "$2" || true) (PCRE2)"
  hyperfine --warmup 1 --runs 7 -N -i --style basic \
    -n engine "$cli match --count '$1' $2" -n pcre2-jit "$peer '$1' $2" 2>&1 |
    grep -E "Time|±|faster|slower|engine|pcre2"
}

compare '<e>(.*?)</e>' "$data/prose.txt"
compare '<[nN][oO][tT][eE]>(.*?)</note>' "$data/prose.txt"
compare '(?i)<note>(.*?)</note>' "$data/prose.txt"
compare '(<a>|<b>)(.*?)</[ab]>' "$data/prose.txt"

echo "== 20 MB, begin marker with and without its end marker (engine)"
hyperfine --warmup 1 --runs 7 -N -i --style basic \
  -n with-end "$cli match --count '<e>(.*?)</e>' $data/begins.txt" \
  -n without-end "$cli match --count '<e>(.*?)</e >' $data/begins.txt" 2>&1 |
  grep -E "Time|±|faster|slower|with"

echo "== blow-up patterns on 100,000 characters (engine)"
hyperfine --runs 5 -N -i --style basic \
  -n '(a|aa)+$' "$cli match --count '(a|aa)+\$' $data/as.txt" \
  -n '(a+)+b' "$cli match --count '(a+)+b' $data/as.txt" 2>&1 | grep -E "Time|±|\("
