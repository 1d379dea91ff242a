#!/usr/bin/env bash
# Makes the Debian package of the Linux build in build/ (scripts/test.sh builds it), installs
# it with apt-get as a user would, runs the installed brenwick-cli (its version, a demo
# export) and removes the package again. Needs root, as CI runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

(cd build && cpack -G DEB)
package=$(realpath build/brenwick_*_amd64.deb)
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$package" >/dev/null
# Removed again whatever happens below.
trap 'apt-get purge -y -qq brenwick >/dev/null' EXIT

/usr/bin/brenwick-cli --version
scratch=$(mktemp -d)
/usr/bin/brenwick-cli make-project "$scratch/demo.cst" >/dev/null
/usr/bin/brenwick-cli export "$scratch/demo.cst" --materials "$scratch/demo.xml" --output "$scratch/demo.efm"
/usr/bin/brenwick-cli inspect "$scratch/demo.efm" >/dev/null
rm -rf "$scratch"
echo "Debian package: installed, exported the demo, removed"
