#!/usr/bin/env bash
# The slow checks of CI: the whole test suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for a short while (BRENWICK_FUZZ_SECONDS,
# default 30; 0 skips fuzzing). Expects the packages of scripts/setup-debian.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Memory errors, leaks and undefined behaviour that a normal build lets pass unnoticed.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRENWICK_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

fuzz_seconds=${BRENWICK_FUZZ_SECONDS:-30}
if [ "$fuzz_seconds" -gt 0 ]; then
  ./fuzz/run "$fuzz_seconds"
fi
