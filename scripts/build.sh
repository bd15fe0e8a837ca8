#!/usr/bin/env bash
# Configures and builds the project into ./build (or $BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
gen=()
if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
fi
cmake --build "$build" --parallel "$(nproc)"
