#!/usr/bin/env bash
# The Windows build, tested under Wine (CI runs it after the Linux suite): installs the Debian
# packages it needs, builds the libraries it links for MinGW-w64 once (kept in
# build-windows/deps) and Qt once (kept under /var/cache/brenwick, linked from
# build-windows/qt), cross-builds Brenwick with the dialog in build-windows, runs the test
# suite under Wine, checks that the Windows program writes byte for byte the exports of the
# Linux one, packs the Windows zip and drives the dialog from the unpacked zip by keyboard
# (scripts/test-windows-dialog.sh). Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

./scripts/setup-debian.sh windows
./scripts/build-windows-deps.sh build-windows/deps
./scripts/build-windows-qt.sh build-windows/qt

cmake --preset windows
cmake --build --preset windows -j"$jobs"

# One Wine server for the whole run, so that each test program starts at once; it goes with
# the script. It must come first: it refuses to start beside another of its prefix.
export WINEPREFIX=$PWD/build-windows/wine
mkdir -p "$WINEPREFIX"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
"$wineserver" -k 2>/dev/null || true
"$wineserver" -p
trap '"$wineserver" -k || true' EXIT
cmake/wine-run "$WINEPREFIX" cmd /c exit
# The test programs that load Qt find its DLLs and the MinGW runtime's, which Qt's DLLs load,
# through WINEPATH (folders of Wine's drive Z:, the Unix root).
dll_folders=("$(realpath build-windows/qt/bin)")
for runtime_dll in libstdc++-6.dll libwinpthread-1.dll; do
  dll_folders+=("$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$runtime_dll)")")")
done
WINEPATH=$(printf 'Z:%s;' "${dll_folders[@]}" | tr / '\\')
export WINEPATH
# Now and then Wine fails to start a program at all (no output, a hundredth of a second); such a
# test gets a second run. A test that fails twice fails the script.
ctest --preset windows -j"$jobs" --repeat until-pass:2

# The Linux programs to compare with; the Linux suite has built them already in CI.
if [ ! -f build/CMakeCache.txt ]; then
  cmake --preset default
fi
cmake --build build -j"$jobs" --target brenwick-cli brenwick_reader_library minimal_reader
./scripts/compare-windows-exports.sh build build-windows

(cd build-windows && cpack -G ZIP)
./scripts/test-windows-dialog.sh build build-windows/brenwick-*-windows-x64.zip
