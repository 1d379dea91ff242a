#!/usr/bin/env bash
# Checks that the cross-built brenwick-cli.exe, run under Wine, writes byte for byte the export
# files that the Linux brenwick-cli writes from the same project and materials: through the
# built-in reader, the built-in reader loaded as a library and the minimal reader built from C,
# with each set of options, in folders named in ASCII, within the Windows code page and beyond it.
#   scripts/compare-windows-exports.sh LINUX_BUILD WINDOWS_BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
linux=$(realpath "$1")
windows=$(realpath "$2")
# Wine reads the program's arguments in the Unix locale's encoding.
export LC_ALL=C.UTF-8
run_windows() { cmake/wine-run "$windows/wine" "$windows/cli/brenwick-cli.exe" "$@"; }
run_linux() { "$linux/cli/brenwick-cli" "$@"; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
run_linux make-project "$scratch/demo.cst" >/dev/null

linux_readers=("" "--reader=$linux/readers/hdf5/libbrenwick-hdf5-reader.so"
               "--reader=$linux/examples/reader/libminimal_reader.so")
windows_readers=("" "--reader=$windows/readers/hdf5/brenwick-hdf5-reader.dll"
                 "--reader=$windows/examples/reader/libminimal_reader.dll")
reader_names=(built-in hdf5-library minimal-reader)
option_sets=("" "--density --write-property" "--only-potentials")

compared=0
different=0
for folder in plain "Grüße" "電場"; do
  dir=$scratch/$folder
  mkdir -p "$dir"
  cp "$scratch/demo.cst" "$dir/Feld $folder.cst"
  cp "$scratch/demo.xml" "$dir/Materialien $folder.xml"
  for r in "${!reader_names[@]}"; do
    for o in "${!option_sets[@]}"; do
      # shellcheck disable=SC2206 # the options are words
      options=(${option_sets[$o]})
      linux_reader=(${linux_readers[$r]})
      windows_reader=(${windows_readers[$r]})
      arguments=(export "$dir/Feld $folder.cst" --materials "$dir/Materialien $folder.xml" "${options[@]}")
      run_linux "${linux_reader[@]}" "${arguments[@]}" --output "$dir/linux.efm" >/dev/null
      run_windows "${windows_reader[@]}" "${arguments[@]}" --output "$dir/Ausgabe $folder.efm" >/dev/null
      compared=$((compared + 1))
      if ! cmp -s "$dir/linux.efm" "$dir/Ausgabe $folder.efm"; then
        echo "differs: $folder, ${reader_names[$r]}, options '${option_sets[$o]}'" >&2
        different=$((different + 1))
      fi
    done
  done
done
echo "Windows exports byte for byte as on Linux: $((compared - different)) passed, $different failed"
[ "$different" -eq 0 ]
