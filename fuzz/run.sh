#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in their own build folder and runs one.
#
#   fuzz/run.sh [target] [seconds] [extra libFuzzer options...]
#
# target:  project (default), moderecord or versionfile
# seconds: how long to run (default 600)
# Found inputs go to $FUZZ_BUILD_DIR/work/<target>/corpus; crashes, leaks
# and timeouts to .../artifacts. The small seed corpus in fuzz/corpus/<target>
# is only read. Needs clang and libclang-rt-dev (libFuzzer).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:-project}"
seconds="${2:-600}"
shift $(( $# > 2 ? 2 : $# ))
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  gen=()
  if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${gen[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVC_BUILD_TESTS=OFF -DVC_BUILD_BENCHMARKS=OFF -DVC_BUILD_TOOLS=OFF -DVC_BUILD_FUZZERS=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
nice cmake --build "$build" --target "fuzz_$target" --parallel "$(nproc)"

work="$build/work/$target"
mkdir -p "$work/corpus" "$work/artifacts"
seeds="$root/fuzz/corpus/$target"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

# -rss_limit_mb and -malloc_limit_mb turn runaway memory into a finding;
# -timeout turns a hang into one.
exec "$build/fuzz/fuzz_$target" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
  -max_len=65536 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds"
