#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Brenwick needs; with the
# argument `windows` also those of the Windows build (scripts/test-windows.sh): the MinGW-w64
# compilers of the posix thread model, zlib for them, Ninja for the build of Qt, Wine to run
# the tests, and xmodmap to give Wine a key for each character the keyboard run types.
# Packages already present are skipped, so running it again is cheap.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libpugixml-dev libhdf5-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core
  libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-apps xdotool openbox imagemagick time bc
  help2man lintian
  python3 python3-h5py python3-numpy
)
if [ "${1:-}" = windows ]; then
  packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev ninja-build wine64
            x11-xserver-utils)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}; run this script as root" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
