#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the test suite through CTest: the
# everyday check, a few minutes on a two-core machine. CI (.ci/run) runs this, then the Debian
# package test, the suite under the sanitizers with the fuzz targets (scripts/sanitize-and-fuzz.sh)
# and the Windows build under Wine (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

./scripts/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
