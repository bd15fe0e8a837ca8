#!/usr/bin/env bash
# Configures and builds the project into ./build (or $BUILD_DIR).
#
#   scripts/build.sh [cmake options...]
#
# Options (for example -DVC_SANITIZE=ON) apply to a new build folder and to
# an existing one alike; without options an existing folder is only built
# (Ninja reconfigures by itself when a CMakeLists.txt changed).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  gen=()
  if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
  cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
elif [ $# -gt 0 ] || [ -n "${BUILD_TYPE:-}" ]; then
  # The generator of an existing folder is fixed; only the cache changes.
  opts=("$@")
  if [ -n "${BUILD_TYPE:-}" ]; then opts=(-DCMAKE_BUILD_TYPE="$BUILD_TYPE" "${opts[@]}"); fi
  cmake -S "$root" -B "$build" "${opts[@]}"
fi
cmake --build "$build" --parallel "$(nproc)"
