#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under a virtual display.
# Extra arguments go to ctest (for example: -R tst_gadgets -V).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$build"
# The tests keep their settings in a private location (see tests/testsupport);
# xvfb-run gives the OpenGL preview a display.
exec xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure "$@"
