#!/usr/bin/env bash
# Builds Qt 6 for Windows (MinGW-w64) from Debian's qt6-base source package, only what the
# dialog needs: Core, Gui, Widgets, Concurrent and Test as DLLs, with the windows platform plugin
# and the native style. Debian's Qt tools of the same version (moc, rcc, uic) do the build
# machine's part. Qt is installed outside the checkout, keyed by the source version and the
# content of the files that make it, and a link points at it:
#   scripts/build-windows-qt.sh LINK
# A finished Qt is reused; a fresh machine builds it (about 25 minutes on two idle cores).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
link=$(realpath -m "$1")
cache_root=/var/cache/brenwick
toolchain=$source_dir/cmake/mingw-w64-x86_64.cmake
recipe=("$source_dir/scripts/build-windows-qt.sh" "$source_dir/scripts/debian-sources.sh" "$toolchain"
        "$source_dir/cmake/wine-run")
# shellcheck source=scripts/debian-sources.sh
source "$source_dir/scripts/debian-sources.sh"

# The sources must be those of the tools that build them.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
key=${version//:/_}-$(cat "${recipe[@]}" | sha256sum | cut -c1-12)
prefix=$cache_root/qt6-windows-$key
stamp=$prefix/done

mkdir -p "$cache_root"
exec 9>"$cache_root/qt6-windows.lock"
flock 9
if [ ! -f "$stamp" ]; then
  # One work folder whatever the key, so that ccache finds a changed build's unchanged objects.
  work=$cache_root/qt6-windows-work
  rm -rf "$prefix" "$work"
  fetch_debian_sources "$work/apt" "$work/src" "qt6-base=$version"
  qt_src=$(find "$work/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)

  # The installed Qt keeps the toolchain that built it (its qt-cmake names the file).
  mkdir -p "$prefix/toolchain"
  cp "$toolchain" "$source_dir/cmake/wine-run" "$prefix/toolchain/"
  launcher=()
  if command -v ccache >/dev/null; then
    export CCACHE_DIR=$cache_root/ccache CCACHE_BASEDIR=$work CCACHE_NOHASHDIR=true
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi

  # Debian's source has no wintab (tablet input); Debian's patches turn androiddeployqt on for
  # every cross build. direct2d stays on: the windows plugin needs its DirectWrite font database.
  mkdir -p "$work/build"
  (cd "$work/build" && "$qt_src/configure" -prefix "$prefix" \
    -xplatform win32-g++ -qt-host-path /usr \
    -release -shared -nomake tests -nomake examples \
    -no-opengl -no-dbus -no-icu -no-libjpeg -no-pkg-config \
    -qt-zlib -qt-libpng -qt-pcre -qt-harfbuzz -qt-freetype -qt-doubleconversion \
    -no-feature-vulkan -no-feature-sql -no-feature-network -no-feature-printsupport \
    -no-feature-xml -no-feature-tabletevent -no-feature-androiddeployqt \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain/mingw-w64-x86_64.cmake" \
    -DBRENWICK_MINGW_SHARED_RUNTIME=ON -DBRENWICK_WINE_PREFIX="$work/wine" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${launcher[@]}")
  cmake --build "$work/build" -j"$(nproc)"
  cmake --install "$work/build" --strip

  # Qt's licence texts and Debian's account of which of them covers which part, including the
  # libraries Qt bundles, for the Windows package.
  mkdir -p "$prefix/licences"
  cp -r "$qt_src/LICENSES" "$prefix/licences/qt6-base"
  cp "$qt_src/debian/copyright" "$prefix/licences/qt6-base/copyright.txt"
  rm -rf "$work"
  touch "$stamp"
fi
mkdir -p "$(dirname "$link")"
ln -sfn "$prefix" "$link"
echo "windows qt: using $prefix"
