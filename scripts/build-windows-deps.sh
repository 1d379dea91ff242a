#!/usr/bin/env bash
# Builds the libraries that the Windows build links, for MinGW-w64, into a cache folder:
#   scripts/build-windows-deps.sh CACHE
# pugixml and HDF5 (C library, static) are built from Debian's own source packages, fetched
# with `apt-get source` through a private list of source archives derived from this machine's
# apt sources (scripts/debian-sources.sh; the system's apt settings stay as they are).
# GoogleTest is built from the sources that Debian's googletest package installs; CLI11 and
# nlohmann-json are header-only and copied from their Debian packages. CACHE/prefix then holds everything; a finished cache
# is kept and reused (delete CACHE to build it again).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
cache=$(realpath -m "$1")
prefix=$cache/prefix
stamp=$cache/done
toolchain=$source_dir/cmake/mingw-w64-x86_64.cmake
fetch=$source_dir/scripts/debian-sources.sh
jobs=$(nproc)

if [ -f "$stamp" ] && [ "$stamp" -nt "$toolchain" ] && [ "$stamp" -nt "$0" ] && [ "$stamp" -nt "$fetch" ]; then
  echo "windows deps: using $prefix"
  exit 0
fi
rm -rf "$cache"
mkdir -p "$cache/src" "$prefix"

# shellcheck source=scripts/debian-sources.sh
source "$fetch"
fetch_debian_sources "$cache/apt" "$cache/src" pugixml hdf5
pugixml_src=$(find "$cache/src" -maxdepth 1 -type d -name 'pugixml-*' | head -n1)
hdf5_src=$(find "$cache/src" -maxdepth 1 -type d -name 'hdf5-*' | head -n1)

cross=(
  -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  -DBRENWICK_WINE_PREFIX="$cache/wine"
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$prefix"
  -DBUILD_SHARED_LIBS=OFF
)

cmake -S "$pugixml_src" -B "$cache/build/pugixml" "${cross[@]}" -DPUGIXML_BUILD_TESTS=OFF
cmake --build "$cache/build/pugixml" -j"$jobs" --target install

# HDF5's checks write their results into the folder they are run from, so its configure runs
# inside its build folder. MinGW has unistd.h but not sys/wait.h, which H5private.h includes
# beside it; the library needs neither on Windows. Compressed datasets need zlib, linked
# statically like everything else.
mkdir -p "$cache/build/hdf5"
(cd "$cache/build/hdf5" && cmake "$hdf5_src" "${cross[@]}" \
  -DH5_HAVE_UNISTD_H:INTERNAL= \
  -DHDF5_BUILD_TOOLS=OFF -DHDF5_BUILD_EXAMPLES=OFF -DHDF5_BUILD_UTILS=OFF -DBUILD_TESTING=OFF \
  -DHDF5_BUILD_CPP_LIB=OFF -DHDF5_BUILD_HL_LIB=OFF -DHDF5_BUILD_FORTRAN=OFF -DHDF5_BUILD_JAVA=OFF \
  -DHDF5_ENABLE_Z_LIB_SUPPORT=ON -DZLIB_USE_STATIC_LIBS=ON -DHDF5_ENABLE_SZIP_SUPPORT=OFF \
  -DHDF5_ENABLE_THREADSAFE=OFF)
cmake --build "$cache/build/hdf5" -j"$jobs" --target install

cmake -S /usr/src/googletest -B "$cache/build/googletest" "${cross[@]}"
cmake --build "$cache/build/googletest" -j"$jobs" --target install

mkdir -p "$prefix/include" "$prefix/share/cmake"
cp -r /usr/include/CLI /usr/include/nlohmann "$prefix/include/"
cp -r /usr/share/cmake/CLI11 /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"

# The licence texts of the libraries that programs link, for the Windows package.
mkdir -p "$prefix/licences"
cp "$pugixml_src/LICENSE.md" "$prefix/licences/pugixml.txt"
cp "$hdf5_src/COPYING" "$prefix/licences/hdf5.txt"
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$prefix/licences/zlib.txt"
touch "$stamp"
