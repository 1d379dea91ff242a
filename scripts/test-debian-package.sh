#!/usr/bin/env bash
# Makes the Debian package of the Linux build in build/ (scripts/test.sh builds it), has
# lintian judge it (no error, and no warning that the package does not override with its
# reason), installs it with apt-get as a user would, runs the installed brenwick-cli (its
# version, a demo export, the same export through the installed reader library), builds the
# example reader against the installed contract header and removes the package again. Needs
# root, as CI runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

(cd build && cpack -G DEB)
package=$(realpath build/brenwick_*_amd64.deb)
lintian --fail-on error,warning "$package"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$package" >/dev/null
scratch=$(mktemp -d)
# Removed again whatever happens below.
trap 'apt-get purge -y -qq brenwick >/dev/null; rm -rf "$scratch"' EXIT

/usr/bin/brenwick-cli --version
/usr/bin/brenwick-cli make-project "$scratch/demo.cst" >/dev/null
/usr/bin/brenwick-cli export "$scratch/demo.cst" --materials "$scratch/demo.xml" --output "$scratch/demo.efm"
/usr/bin/brenwick-cli inspect "$scratch/demo.efm" >/dev/null
# preview paints in its module, installed in Brenwick's library folder.
/usr/bin/brenwick-cli preview "$scratch/demo.efm" --output "$scratch/demo.png" >/dev/null

# The reader library in its private folder gives the built-in reader's bytes.
/usr/bin/brenwick-cli --reader /usr/lib/brenwick/readers/libbrenwick-hdf5-reader.so \
  export "$scratch/demo.cst" --materials "$scratch/demo.xml" --output "$scratch/library.efm" >/dev/null
cmp "$scratch/demo.efm" "$scratch/library.efm"

# A reader author's first steps: the installed header compiles on its own, the example reader
# builds from the documentation folder and loads.
echo '#include <brenwick/result_reader.h>' | cc -std=c99 -Wall -Werror -fsyntax-only -x c -
cc -shared -fPIC -fvisibility=hidden -o "$scratch/libminimal_reader.so" \
  /usr/share/doc/brenwick/examples/reader/minimal_reader.c
/usr/bin/brenwick-cli --reader "$scratch/libminimal_reader.so" --version >/dev/null

echo "Debian package: clean by lintian, installed, exported and previewed the demo, removed"
