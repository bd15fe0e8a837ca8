#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package
# (vantorcreator_<version>_<arch>.deb) with CPack from the same build.
# The package lands in build/package/ (or $BUILD_DIR/package/); install it
# with `apt install ./build/package/vantorcreator_*.deb`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$build"
cpack -G DEB
ls -1 "$build"/package/vantorcreator_*.deb
