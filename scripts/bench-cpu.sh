#!/usr/bin/env bash
# Measures the editor's processor use on a virtual X display, as processor
# seconds per wall-clock second (1.00 = one core busy):
#  - the program itself, started as a new user would (a new show from the
#    start dialog) and left idle, read from /proc (needs xdotool);
#  - build/benchmarks/bench_cpu, the same main window driven through three
#    states: idle with nothing loaded, a picture spinning in the preview,
#    and a 30 s song playing over a track full of modes (its header lists
#    the aims).
# Uses a throw-away HOME so the real settings are not touched, and a sound
# sink that needs no device but keeps time (fakesink would race through the
# song).
#   scripts/bench-cpu.sh [seconds per state]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
seconds="${1:-10}"
command -v xdotool >/dev/null || { echo "xdotool is needed" >&2; exit 2; }
for exe in "$build/src/VantorCreator" "$build/benchmarks/bench_cpu"; do
  [ -x "$exe" ] || { echo "build $(basename "$exe") first" >&2; exit 2; }
done

home="$(mktemp -d)"
editor=""
xvfb=""
trap 'kill $editor $xvfb 2>/dev/null || true; rm -rf "$home"' EXIT
# The server picks a free display number itself and writes it when ready.
Xvfb -displayfd 3 -screen 0 1920x1080x24 3>"$home/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$home/display" ] && break; sleep 0.1; done
[ -s "$home/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
display=":$(cat "$home/display")"
# Runs a program on the virtual display (in place of the calling shell).
run() {
  exec env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_RUNTIME_DIR="$home" DISPLAY="$display" QT_QPA_PLATFORM=xcb \
    QT_GSTREAMER_PLAYBIN_AUDIOSINK=testsink "$@"
}
# Processor ticks (user + system) of a process, all its threads.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

run "$build/src/VantorCreator" >"$home/editor.log" 2>&1 &
editor=$!
# The start dialog comes first (and, offline, a message that the update
# server cannot be reached): Return answers the newest window, "開新檔案"
# having the focus on the dialog, until the main window (the one wider than
# the dialog) shows. Then it settles.
x() { DISPLAY="$display" xdotool "$@" 2>/dev/null || true; }
main=""
for _ in $(seq 30); do
  sleep 1
  for w in $(x search --onlyvisible --pid "$editor"); do
    width=$(x getwindowgeometry --shell "$w" | sed -n 's/^WIDTH=//p')
    [ "${width:-0}" -ge 900 ] && main=$w
  done
  [ -n "$main" ] && break
  top=$(x search --onlyvisible --pid "$editor" | tail -n 1)
  [ -n "$top" ] && x windowfocus --sync "$top" key Return
done
[ -n "$main" ] || { echo "the main window did not show" >&2; exit 1; }
sleep 5
hz=$(getconf CLK_TCK)
t0=$(ticks "$editor"); w0=$(date +%s%N)
sleep "$seconds"
t1=$(ticks "$editor"); w1=$(date +%s%N)
kill "$editor"; wait "$editor" 2>/dev/null || true; editor=""
awk -v t="$((t1 - t0))" -v hz="$hz" -v ns="$((w1 - w0))" \
  'BEGIN { printf "VantorCreator idle: %.3f processor seconds per second\n", t / hz / (ns / 1e9) }'

(run "$build/benchmarks/bench_cpu" "$seconds") 2> >(grep -v -e '^draw static' -e 'song slider moved' \
  -e '^Init Plot' -e '^series max' -e '^song duration' >&2)
