#!/usr/bin/env bash
# Installs what is missing, builds brenwick-cli, writes the demo gas detector project,
# exports it to an .efm field map and prints the inspection of that file.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target brenwick-cli

mkdir -p demo
cli=build/cli/brenwick-cli
"$cli" make-project demo/detector.cst --materials-out demo/materials.xml
"$cli" export demo/detector.cst --materials demo/materials.xml --output demo/detector.efm
"$cli" inspect demo/detector.efm
