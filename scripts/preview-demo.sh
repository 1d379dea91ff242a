#!/usr/bin/env bash
# Renews docs/images/preview.png, the README's picture of the demo detector: runs the demo
# (scripts/demo.sh writes and exports demo/detector.cst) and draws the export's default slice,
# the middle plane across z, exactly as a user's first `brenwick-cli preview` does.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/demo.sh >/dev/null
build/cli/brenwick-cli preview demo/detector.efm --output docs/images/preview.png
