#!/usr/bin/env bash
# Measures the editor's cold start: from launching the program to its main
# window being mapped on a virtual display. Needs a built editor, Xvfb and
# xdotool (a developer tool: apt-get install xdotool). Uses a throw-away
# HOME so the real settings are not touched.
#   scripts/bench-startup.sh [runs]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="${BUILD_DIR:-$root/build}/src/VantorCreator"
runs="${1:-5}"
command -v xdotool >/dev/null || { echo "xdotool is needed" >&2; exit 2; }

display=":$((60 + RANDOM % 30))"
Xvfb "$display" -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1

home="$(mktemp -d)"
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$home"' EXIT
# One run to write the first-run settings, so every measured run is a normal start.
for i in $(seq 0 "$runs"); do
  start=$(date +%s%N)
  HOME="$home" XDG_CONFIG_HOME="$home/.config" DISPLAY="$display" "$exe" >"$home/run.log" 2>&1 &
  pid=$!
  # Poll in short steps: xdotool's own --sync waits in half-second steps.
  # A program that ends before its window shows stops the measurement
  # instead of leaving the loop waiting for ever.
  until DISPLAY="$display" xdotool search --onlyvisible --name '^VantorCreator' >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" && status=0 || status=$?
      echo "run $i: the editor ended (status $status) before its window showed:" >&2
      tail -n 20 "$home/run.log" >&2
      exit 1
    fi
    sleep 0.02
  done
  end=$(date +%s%N)
  kill "$pid"; wait "$pid" 2>/dev/null || true
  if [ "$i" -gt 0 ]; then
    echo "run $i: $(( (end - start) / 1000000 )) ms"
  fi
done
