#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each one for a bounded time on a fresh copy of its seed corpus
# (tests/fuzz/corpus/<target>/). Fails when any target finds a crash, a sanitizer report or
# a memory blow-up.
#
#   scripts/fuzz.sh [--seconds N] [--target NAME]   (N per target, default 60)
#
# The targets run in libFuzzer's fork mode: an input that runs longer than 10 seconds (a
# backtracking pattern that is exponential by nature) is noted and skipped, not a failure.
# Findings are kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --target) only="$2"; shift 2 ;;
    *) echo "usage: scripts/fuzz.sh [--seconds N] [--target NAME]" >&2; exit 2 ;;
  esac
done

build=build-fuzz
targets=(pattern_engine text_decoding tag_set tag_scanner)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DFARROWDALE_FUZZ=ON -DFARROWDALE_SANITIZE=ON \
  -DFARROWDALE_BUILD_APP=OFF -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null

available=()
for t in "${targets[@]}"; do
  if [ -n "$only" ] && [ "$only" != "$t" ] && [ "$only" != "fuzz_$t" ]; then continue; fi
  available+=("$t")
done
if [ ${#available[@]} -eq 0 ]; then
  echo "no fuzz target named $only" >&2
  exit 2
fi
cmake --build "$build" -j"${JOBS:-2}" --target "${available[@]/#/fuzz_}"

mkdir -p "$build/artifacts"
# Scratch files of the targets that need a path (fork mode's workers leave theirs behind).
export FARROWDALE_FUZZ_SCRATCH="$PWD/$build/scratch"
rm -rf "$FARROWDALE_FUZZ_SCRATCH"
mkdir -p "$FARROWDALE_FUZZ_SCRATCH"
trap 'rm -rf "$FARROWDALE_FUZZ_SCRATCH"' EXIT
failed=0
for t in "${available[@]}"; do
  corpus="$build/corpus/$t"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp tests/fuzz/corpus/"$t"/* "$corpus"/
  log="$build/fuzz_$t.log"
  echo "fuzz_$t: ${seconds}s"
  rc=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/bin/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -fork=1 -ignore_timeouts=1 -ignore_ooms=0 -ignore_crashes=0 -timeout_exitcode=70 \
    -artifact_prefix="$build/artifacts/${t}-" "$corpus" >"$log" 2>&1 || rc=$?
  # Fork mode ends with the timeout exit code when it skipped a slow input; that alone is
  # no failure.
  if [ "$rc" -eq 0 ] || [ "$rc" -eq 70 ]; then
    grep -E "^#[0-9]+:" "$log" | tail -1 || true
  else
    failed=1
    echo "fuzz_$t FAILED; log: $log" >&2
    grep -E -A40 "ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error" \
      "$log" | head -80 >&2 || tail -40 "$log" >&2
  fi
done
exit "$failed"
