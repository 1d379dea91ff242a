#!/usr/bin/env bash
# The Windows dialog as a person at the keyboard uses it, under Wine on a virtual display: the
# zip unpacked into a folder whose name is not ASCII, brenwick.exe started from there with no
# other DLL in reach, a project, a material file and an output typed in folders named "Grüße"
# and "電場", Enter pressed. The written file must equal byte for byte the Linux export of the
# same project, the preview must show the colours of the Linux picture of that file, and Escape
# must end the program.
#   scripts/test-windows-dialog.sh LINUX_BUILD ZIP
set -euo pipefail
if [ "${1:-}" != --on-display ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --on-display "$(realpath "$1")" "$(realpath "$2")"
fi
linux_cli=$2/cli/brenwick-cli
zip=$3
cd "$(dirname "$0")/.."
# Wine reads the typed and given names in the Unix locale's encoding.
export LC_ALL=C.UTF-8

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

work=$(mktemp -d)
# A prefix of its own, made on first use: no test program's Wine settings, and no DLL folder
# in WINEPATH, so that the program finds everything it loads in the zip.
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH
program_pid=
manager_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$manager_pid" ] && kill "$manager_pid" 2>/dev/null
  "$wineserver" -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "windows dialog: FAILED: $*" >&2; cat "$work/program.log" >&2 2>/dev/null; exit 1; }
# shellcheck source=tests/integration/keyboard_session.sh
source tests/integration/keyboard_session.sh

# The colours of a picture that are not grey, with their pixel counts: "COUNT RRGGBB" lines.
colours() {
  convert "$1" -alpha off -format %c histogram:info:- |
    sed -nE 's/^ *([0-9]+): \( *([0-9]+), *([0-9]+), *([0-9]+)\).*/\1 \2 \3 \4/p' |
    awk '!($2 == $3 && $3 == $4) { printf "%d %02X%02X%02X\n", $1, $2, $3, $4 }'
}

unpacked="$work/Programme 電場"
mkdir -p "$unpacked" "$work/Grüße" "$work/電場" "$work/Grüße/電場"
(cd "$unpacked" && cmake -E tar xf "$zip")
program=$(find "$unpacked" -iname brenwick.exe | head -n 1)
[ -n "$program" ] || fail "the zip holds no brenwick.exe"
# The dialog is a windowed program; the command line stays a console program, and it and the
# reader DLL need none of the DLLs the dialog brings.
subsystem() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^Subsystem[[:space:]]*//p'; }
bin=$(dirname "$program")
[[ "$(subsystem "$program")" == *"Windows GUI"* ]] || fail "brenwick.exe is not a windowed program"
[[ "$(subsystem "$bin/brenwick-cli.exe")" == *"Windows CUI"* ]] || fail "brenwick-cli.exe is not a console program"
for file in brenwick-cli.exe brenwick-hdf5-reader.dll; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$bin/$file" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    [ ! -f "$bin/$dll" ] || fail "$file needs $dll"
  done
done

project=$work/Grüße/detector.cst
materials=$work/電場/materials.xml
output=$work/Grüße/電場/detector.efm
"$linux_cli" make-project "$project" --materials-out "$materials" >/dev/null
"$linux_cli" export "$project" --materials "$materials" --output "$work/linux.efm" >/dev/null
"$linux_cli" preview "$work/linux.efm" --output "$work/linux-preview.png" >/dev/null

# Wine reads the keyboard's map when a program starts and misses the keys that xdotool maps
# for a moment to type a character the map lacks: every character of the typed paths beyond
# ASCII gets a key of its own first.
map_keys_for() {
  local free character
  mapfile -t free < <(xmodmap -pke | awk 'NF == 3 { print $2 }')
  while read -r character; do
    xmodmap -e "keycode ${free[0]} = $(printf 'U%04X' "'$character")"
    free=("${free[@]:1}")
  done < <(printf '%s' "$*" | grep -o '[^ -~]' | sort -u)
}

"$wine" wineboot --init >/dev/null 2>&1
map_keys_for "$project" "$materials" "$output"
start_window_manager
"$wine" "$program" >"$work/program.log" 2>&1 &
program_pid=$!
# Wine starts a program slowly the first time. It takes the Unix paths as paths of its drive Z:.
activate_dialog 120
type_paths "$project" "$materials" "$output"
xdotool key Return
wait_for '[ -f "$output" ]' 120 || fail "Enter did not export to $output"
cmp "$work/linux.efm" "$output" || fail "the export differs from the Linux export of the same project"

# The preview follows the export; Wine's programs never idle, so the screen is watched until it
# shows the picture's colours.
colours "$work/linux-preview.png" | sort -rn | awk 'NR <= 6 { print $2 }' | sort >"$work/picture-colours"
preview_shown() {
  import -window root "$work/screen.png"
  colours "$work/screen.png" | awk '$1 >= 20 { print $2 }' | sort >"$work/screen-colours"
  [ -z "$(comm -23 "$work/picture-colours" "$work/screen-colours")" ]
}
wait_for preview_shown 120 ||
  fail "the preview lacks the picture's colours $(comm -23 "$work/picture-colours" "$work/screen-colours" | xargs)"

xdotool key Escape
wait_for '! kill -0 "$program_pid" 2>/dev/null' || fail "Escape did not end the program"
program_pid=
echo "windows dialog: exported as on Linux from folders named Grüße and 電場, drew the preview, ended on Escape"
