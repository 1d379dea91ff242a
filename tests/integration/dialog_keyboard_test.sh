#!/usr/bin/env bash
# The dialog as a person at the keyboard uses it, on a virtual display with a window manager:
# fills the three paths, starts an export from the focused Export button, presses Enter once
# it has finished, and checks that a second export happened and that the program still runs.
#
#   dialog_keyboard_test.sh BRENWICK_CLI BRENWICK       (exit 77: a tool it needs is missing)
set -euo pipefail

if [ "${1:-}" != --on-display ]; then
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
  done
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --on-display "$@"
fi
cli=$2
dialog=$3

# shellcheck source=tests/integration/keyboard_session.sh
source "$(dirname "$0")/keyboard_session.sh"
work=$(mktemp -d)
dialog_pid=
manager_pid=
cleanup() {
  [ -n "$dialog_pid" ] && kill "$dialog_pid" 2>/dev/null
  [ -n "$manager_pid" ] && kill "$manager_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; cat "$work/dialog.log" >&2 2>/dev/null; exit 1; }
exports_done() { grep -c "Number of data found" "$work/dialog.log" || true; }

"$cli" make-project "$work/detector.cst" --materials-out "$work/materials.xml" >/dev/null
start_window_manager

XDG_CONFIG_HOME=$work "$dialog" > "$work/dialog.log" 2>&1 &
dialog_pid=$!
activate_dialog
type_paths "$work/detector.cst" "$work/materials.xml" "$work/detector.efm"
xdotool key --delay 100 shift+Tab shift+Tab shift+Tab
xdotool key space
wait_for '[ "$(exports_done)" -ge 1 ] && [ -f "$work/detector.efm" ]' || fail "the first export did not happen"
# The output is in place when the worker ends; the window takes the outcome and gives the inputs
# back moments later (a slow, sanitized build takes longer). Enter then goes to the control that
# had the focus when the export began.
wait_for "settled $dialog_pid" || fail "the dialog did not settle after the first export"
xdotool key Return
wait_for '[ "$(exports_done)" -ge 2 ]' || fail "Enter after the export did not export again"
sleep 1
kill -0 "$dialog_pid" 2>/dev/null || fail "the program ended"
"$cli" inspect "$work/detector.efm" >/dev/null || fail "the export is not well-formed"

xdotool key Escape
wait_for '! kill -0 "$dialog_pid" 2>/dev/null' || fail "Escape did not end the program"
dialog_pid=
echo "the second export happened and the program still ran"
