#!/usr/bin/env bash
# CI, after the tests: builds the Debian package, installs it on this
# machine and uses what it installed as a user would, with a home of its
# own: `vantorctl --help`, an old project converted and exported by the
# installed vantorctl, the manual pages, the file types as the desktop sees
# them, and a project opened the way the desktop entry starts the editor,
# under a virtual display up to the editor's main window. As root the
# programs run as the user "nobody", who cannot write to /usr, so a program
# that writes beside itself fails here. The package is removed again at the
# end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

SUDO=""
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
  SUDO="sudo"
fi

"$root/scripts/package.sh" >/dev/null
deb="$(ls -t "$build"/package/vantorcreator_*.deb | head -n 1)"
echo "installing $(basename "$deb")"

work="$(mktemp -d)"
xvfb=""
editor=""
cleanup() {
  if [ -n "$editor" ]; then kill "$editor" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  $SUDO dpkg -r vantorcreator >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Another run may hold the package manager's lock for a while.
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -o DPkg::Lock::Timeout=300 "$deb" \
  >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }

home="$work/home"
mkdir -p "$home"
cp "$root/tests/data/convert/every-kind.vtc" "$home/old.vtc"
cp -r "$root/tests/data/pictures" "$home/pictures"
if [ ${#as_user[@]} -gt 0 ]; then chown -R nobody:nogroup "$home"; fi
chmod 755 "$work"
cd "$home"
# run PROGRAM ARGS...: as the user, in its home, with a clean environment;
# setpriv and env replace themselves, so a program started in the
# background has the process number $! gives.
run() {
  "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
    ${DISPLAY:+DISPLAY="$DISPLAY"} "$@"
}

[ "$(command -v vantorctl)" = /usr/bin/vantorctl ] || { echo "vantorctl is not installed in /usr/bin" >&2; exit 1; }
run vantorctl --help >"$work/help.txt"
grep -q '^Usage: vantorctl' "$work/help.txt" || { cat "$work/help.txt"; exit 1; }
# An old project with every kind of mode (pictures in several formats,
# texts, effects), converted and exported by the installed program.
run vantorctl convert old.vtc -o show.vtc3 --pictures pictures
run vantorctl export show.vtc3 -o show.bin
[ -s "$home/show.bin" ] || { echo "the installed vantorctl wrote no show file" >&2; exit 1; }
man -w vantorctl >/dev/null && man -w VantorCreator >/dev/null
echo "installed vantorctl: --help, convert, export and the manual pages work"

# The file types, as the desktop sees them once the package's triggers ran.
for pair in "show.vtc3:application/x-vantorcreator-project" \
  "old.vtc:application/x-vantorcreator-old-project"; do
  file=${pair%%:*}
  type=${pair#*:}
  got=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION xdg-mime query filetype "$home/$file")
  [ "${got%%;*}" = "$type" ] || { echo "the installed system takes $file for $got" >&2; exit 1; }
  got=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION xdg-mime query default "$type")
  [ "$got" = com.mervalo.VantorCreator.desktop ] || { echo "$type opens with \"$got\"" >&2; exit 1; }
done
echo "installed file types: recognised, opened by the editor"

# A double-click on the project: the editor started as the desktop entry
# says, up to its main window with the project loaded ("VantorCreator -
# show.vtc3"). Dialogs before it (the start dialog and its update message)
# are answered with Return.
read -ra exec_line < <(sed -n 's/^Exec=//p' /usr/share/applications/com.mervalo.VantorCreator.desktop)
exec_line=("${exec_line[@]/\%f/$home/show.vtc3}")
display=":$((120 + RANDOM % 60))"
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
start=$(date +%s%N)
run "${exec_line[@]}" >"$work/editor.log" 2>&1 &
editor=$!
shown=""
for i in $(seq 300); do
  if xdotool search --onlyvisible --name '^VantorCreator - show\.vtc3' >/dev/null 2>&1; then
    shown=yes
    break
  fi
  if ! kill -0 "$editor" 2>/dev/null; then break; fi
  if [ $((i % 25)) -eq 0 ]; then
    # The window with the focus first: the start dialog's message that the
    # update server cannot be reached has no title to search for.
    xdotool key Return 2>/dev/null || true
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
      xdotool windowfocus "$w" key Return 2>/dev/null || true
    done
  fi
  sleep 0.2
done
if [ -z "$shown" ]; then
  echo "the installed editor showed no main window with show.vtc3 within 60 s:" >&2
  xdotool search --onlyvisible --name '.' getwindowname %@ >&2 2>/dev/null || true
  tail -n 30 "$work/editor.log" >&2
  exit 1
fi
echo "installed editor: main window with the project after $((($(date +%s%N) - start) / 1000000)) ms"
# Its settings went into the user's home, nowhere else.
[ -f "$home/.config/Mervalo/VantorCreator.conf" ] ||
  { echo "the editor wrote no settings into the user's home" >&2; exit 1; }
kill "$editor"
wait "$editor" 2>/dev/null || true
editor=""
if [ -n "$(dpkg -V vantorcreator)" ]; then
  dpkg -V vantorcreator >&2
  echo "the installed files changed while the programs ran" >&2
  exit 1
fi
echo "the installed package works"
