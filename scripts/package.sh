#!/usr/bin/env bash
# Builds the Debian package build/tarvelin_VERSION_amd64.deb from the Release build in build/
# and checks it with lintian.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build

"$root/scripts/install-deps.sh" dpkg-dev file lintian
"$root/scripts/build.sh" "$build"
rm -f "$build"/tarvelin_*_amd64.deb
(cd "$build" && cpack --config CPackConfig.cmake -G DEB >/dev/null)
deb=$(ls "$build"/tarvelin_*_amd64.deb)
lintian --fail-on error "$deb"
echo "$deb"
