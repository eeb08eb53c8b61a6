#!/usr/bin/env bash
# Builds the Debian package into build/package/ (a release build without the tests), lists
# what it holds and checks it as an installed copy with scripts/install-check.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

# Beside the build's own packages: dpkg-shlibdeps (dpkg-dev) and file for the dependencies,
# rsvg-convert for the PNG icons, help2man for the manual pages, and the two validators.
scripts/deps.sh dpkg-dev file librsvg2-bin help2man desktop-file-utils appstream

rm -f build/package/tavro_*.deb
cmake --preset package >/dev/null
cmake --build --preset package -j "${JOBS:-2}"
cpack --preset package

deb=$(ls build/package/tavro_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
scripts/install-check.sh "$deb"
