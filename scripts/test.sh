#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the same tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the threaded tests built with
# ThreadSanitizer, then a short bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=${JOBS:-2}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" --no-tests=error)

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFARROWDALE_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure -j"$jobs" --no-tests=error)

# The tests whose code starts threads (label "threads": the ordered workers, the coding run,
# the marker check, the coder comparison, the exchange export, and farrowdale-cli check),
# built with ThreadSanitizer: a data race or a lock-order inversion fails them. Only those
# targets are built.
tsan_targets=(run_test coding_run_test exchange_export_test check_e2e_test farrowdale-cli)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFARROWDALE_SANITIZE_THREAD=ON \
  -DFARROWDALE_BUILD_APP=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target "${tsan_targets[@]}"
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --output-on-failure -j"$jobs" -L threads --no-tests=error)

bash scripts/fuzz.sh --seconds "${FUZZ_SECONDS:-60}"
