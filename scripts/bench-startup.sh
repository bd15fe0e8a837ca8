#!/usr/bin/env bash
# Measures the editor's cold start on a virtual display, as a new user meets
# it: from launching the program to its start dialog being mapped, then from
# pressing "開新檔案" on that dialog to the main window being mapped. Needs a
# built editor, Xvfb, xdotool and python3. Uses a throw-away HOME so the real
# settings are not touched, and a stand-in update server on 127.0.0.1 that
# says the editor is current, so no update message stands in the way.
#   scripts/bench-startup.sh [runs]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="${BUILD_DIR:-$root/build}/src/VantorCreator"
runs="${1:-5}"
command -v xdotool >/dev/null || { echo "xdotool is needed" >&2; exit 2; }

work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/site" "$work/home"
# Xvfb picks a free display and writes its number once it takes clients.
Xvfb -displayfd 3 -screen 0 1920x1080x24 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
display=":$(head -n 1 "$work/display")"
printf '1.0\n' >"$work/site/version"
port=$((20000 + RANDOM % 20000))
(cd "$work/site" && exec python3 -m http.server "$port" --bind 127.0.0.1) >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  python3 - "$port" <<'PY' 2>/dev/null && break
import socket, sys
socket.create_connection(("127.0.0.1", int(sys.argv[1])), 0.2).close()
PY
  sleep 0.1
done
export DISPLAY="$display"

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
# A visible window titled like the program, wider than $1 and at most $2
# pixels: the start dialog is about 400 pixels wide, the main window at
# least 1000; the program's other windows are tiny or hidden.
window_between() {
  local w width
  for w in $(xdotool search --onlyvisible --name '^VantorCreator' 2>/dev/null); do
    width=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed -n 's/^WIDTH=//p')
    if [ -n "$width" ] && [ "$width" -gt "$1" ] && [ "$width" -le "$2" ]; then
      echo "$w"
      return
    fi
  done
}

dialog_times=()
main_times=()
# One run to write the first-run settings, so every measured run is a normal start.
for i in $(seq 0 "$runs"); do
  start=$(date +%s%N)
  HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    VANTOR_UPDATE_URL="http://127.0.0.1:$port" "$exe" >"$work/run.log" 2>&1 &
  pid=$!
  # Poll in short steps: xdotool's own --sync waits in half-second steps.
  # A program that ends before its window shows stops the measurement
  # instead of leaving the loop waiting for ever.
  dialog=""
  until dialog=$(window_between 200 700) && [ -n "$dialog" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" && status=0 || status=$?
      echo "run $i: the editor ended (status $status) before its window showed:" >&2
      tail -n 20 "$work/run.log" >&2
      exit 1
    fi
    sleep 0.02
  done
  to_dialog=$(ms_since "$start")
  # A user takes a moment to find the button (PAUSE seconds, 1 unless set).
  sleep "${PAUSE:-1}"
  # "開新檔案" sits in the dialog's lower part, across its whole width.
  read -r width height < <(xdotool getwindowgeometry --shell "$dialog" |
    awk -F= '/^WIDTH/ { w = $2 } /^HEIGHT/ { h = $2 } END { print w, h }')
  pressed=$(date +%s%N)
  xdotool mousemove --window "$dialog" $((width / 2)) $((height * 296 / 380)) click 1
  until [ -n "$(window_between 700 100000)" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "run $i: the editor ended before its main window showed" >&2
      exit 1
    fi
    if [ "$(ms_since "$pressed")" -gt 20000 ]; then
      echo "run $i: no main window 20 s after New was pressed" >&2
      exit 1
    fi
    sleep 0.02
  done
  to_main=$(ms_since "$pressed")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  if [ "$i" -gt 0 ]; then
    echo "run $i: start dialog $to_dialog ms after launch, main window $to_main ms after New"
    dialog_times+=("$to_dialog")
    main_times+=("$to_main")
  fi
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
echo "median: start dialog $(median "${dialog_times[@]}") ms after launch, main window $(median "${main_times[@]}") ms after New"
