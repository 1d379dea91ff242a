# What the runs that drive the dialog by keyboard on a virtual display share
# (dialog_keyboard_test.sh, scripts/test-windows-dialog.sh); sourced. The caller defines `fail`.

# Waits up to SECONDS (default 60) for a condition.
wait_for() {
  for _ in $(seq $((${2:-60} * 10))); do
    if eval "$1"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# Whether process PID used no processor time for SECONDS (default 1): the dialog has taken the
# outcome of an export (summary, preview) and waits for the user.
settled() {
  local before after
  before=$(awk '{print $14 + $15}' "/proc/$1/stat")
  sleep "${2:-1}"
  after=$(awk '{print $14 + $15}' "/proc/$1/stat")
  [ "$before" = "$after" ]
}

# Starts openbox where it is installed, setting manager_pid. A window mapped while the manager
# starts can stay unmapped: this returns once the manager runs.
start_window_manager() {
  command -v openbox >/dev/null || return 0
  openbox >/dev/null 2>&1 &
  manager_pid=$!
  wait_for 'xdotool search --classname openbox >/dev/null 2>&1' || fail "the window manager did not start"
}

# Waits up to SECONDS (default 60) for the dialog's window and gives it the focus.
activate_dialog() {
  local window=
  wait_for 'window=$(xdotool search --onlyvisible --name "^Brenwick\$" 2>/dev/null | head -n 1); [ -n "$window" ]' \
    "${1:-60}" || fail "the dialog did not show"
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
  sleep 0.5
}

# Types the project, material and output paths into the dialog as it starts. Close has the
# focus at start; the tab order is Export, Close, project, output, "Write only potentials",
# material: the output field is usable only once the material field has changed. The focus
# ends in the output field.
type_paths() {
  xdotool key --delay 100 Tab
  xdotool type --delay 20 "$1"
  xdotool key --delay 100 Tab Tab
  xdotool type --delay 20 "$2"
  xdotool key --delay 100 shift+Tab shift+Tab
  xdotool type --delay 20 "$3"
}
