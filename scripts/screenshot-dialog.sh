#!/usr/bin/env bash
# Takes the documentation's pictures of the dialog: writes the demo project, starts the dialog
# on a virtual display, fills it with the demo project, and saves as PNG files in docs/images/
# the dialog ready to export, the dialog after the export with its summary and the preview of
# the written file, and the About box.
#
#   scripts/screenshot-dialog.sh [BUILD_DIR]      (default: build)
#
# Needs brenwick-cli and brenwick_dialog_screenshot built in BUILD_DIR, and xvfb-run.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
cli="$build/cli/brenwick-cli"
shooter="$build/tools/brenwick_dialog_screenshot"
for tool in "$cli" "$shooter"; do
  if [ ! -x "$tool" ]; then
    echo "screenshot: $tool is missing; build brenwick-cli and brenwick_dialog_screenshot first" >&2
    exit 1
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Relative paths, so that the picture shows short ones.
mkdir -p "$work/demo"
cd "$work"
"$cli" make-project demo/detector.cst --materials-out demo/materials.xml

mkdir -p "$root/docs/images"
# The smallest screen the window is made to open on whole.
xvfb-run -a -s "-screen 0 1280x800x24" \
  "$shooter" demo/detector.cst demo/materials.xml demo/detector.efm "$root/docs/images"
echo "screenshot: wrote brenwick-dialog.png, brenwick-dialog-preview.png and brenwick-about.png in docs/images/"
