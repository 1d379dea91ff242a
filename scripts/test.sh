#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite through CTest;
# then runs the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer, and
# each fuzz target for a short while (BRENWICK_FUZZ_SECONDS, default 30; 0 skips fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

./scripts/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Memory errors, leaks and undefined behaviour that a normal build lets pass unnoticed.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRENWICK_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

fuzz_seconds=${BRENWICK_FUZZ_SECONDS:-30}
if [ "$fuzz_seconds" -gt 0 ]; then
  ./fuzz/run "$fuzz_seconds"
fi
