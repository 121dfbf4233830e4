#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the same tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short bounded fuzzing run.
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

bash scripts/fuzz.sh --seconds "${FUZZ_SECONDS:-60}"
