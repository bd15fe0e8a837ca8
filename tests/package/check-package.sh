#!/usr/bin/env bash
# Builds the Debian package from a built tree with CPack and checks what a
# user gets from it: the control fields (with the libraries found from the
# binaries), the files and where they go, the programs running from the
# unpacked package, the desktop entry and the software-centre metadata
# through the desktop's own validators, the file types as the desktop
# recognises them, the icons, the manual pages and the completion (both
# must name every command and option the program's --help names).
#
#   check-package.sh BUILD_DIR SOURCE_DIR VERSION WITH_UPDATER(0|1)
#
# Exit status 77 (skipped) where dpkg-deb is missing.
set -uo pipefail

build=$1
src=$2
version=$3
with_updater=$4
app=com.mervalo.VantorCreator
project_type=application/x-vantorcreator-project
old_type=application/x-vantorcreator-old-project

if ! command -v dpkg-deb >/dev/null 2>&1; then
  echo "SKIPPED: dpkg-deb is missing (not a Debian system), so no package is built or checked"
  exit 77
fi
# name:Debian package
for tool in cpack:cmake dpkg-shlibdeps:dpkg-dev readelf:binutils \
  desktop-file-validate:desktop-file-utils update-desktop-database:desktop-file-utils \
  appstreamcli:appstream xdg-mime:xdg-utils mimetype:libfile-mimeinfo-perl \
  update-mime-database:shared-mime-info man:man-db \
  /usr/share/bash-completion/bash_completion:bash-completion; do
  if ! command -v "${tool%%:*}" >/dev/null 2>&1 && [ ! -f "${tool%%:*}" ]; then
    echo "FAIL: ${tool%%:*} is missing (Debian package ${tool#*:}; scripts/install-deps.sh installs it)"
    exit 1
  fi
done

work="$build/tests/package-check"
rm -rf "$work"
mkdir -p "$work/home"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# ---------------------------------------------------------------- build

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack could not build the package"
  exit 1
fi
arch=$(dpkg --print-architecture)
deb="$work/vantorcreator_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
  ls "$work"
  echo "FAIL: no package named $(basename "$deb")"
  exit 1
fi
echo "built $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

# ---------------------------------------------------------------- control

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vantorcreator ] || fail "Package is \"$(field Package)\""
[ "$(field Version)" = "$version" ] || fail "Version is \"$(field Version)\", not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is \"$(field Architecture)\""
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
echo "Depends: $depends"
# Found from the binaries (a hand-written list would go stale), and the
# run-time plug-ins no binary names.
depends_names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for p in libc6 libstdc++6 libqt5core5a libqt5gui5 libqt5widgets5 libqt5serialport5 \
  libqt5multimedia5 libqt5svg5 libqt5multimedia5-plugins gstreamer1.0-plugins-good; do
  grep -Fxq "$p" <<<"$depends_names" || fail "Depends lacks $p"
done

# ---------------------------------------------------------------- contents

dpkg-deb -c "$deb" >"$work/contents.txt"
awk '$2 != "root/root" { print "FAIL: not owned by root: " $0; bad = 1 } END { exit bad }' \
  "$work/contents.txt" || failures=$((failures + 1))
root="$work/root"
dpkg-deb -x "$deb" "$root"

expect=(
  usr/bin/VantorCreator usr/bin/vantorctl
  "usr/share/applications/$app.desktop"
  "usr/share/mime/packages/$app.xml"
  "usr/share/metainfo/$app.metainfo.xml"
  usr/share/man/man1/vantorctl.1.gz usr/share/man/man1/VantorCreator.1.gz
  usr/share/bash-completion/completions/vantorctl
  "usr/share/icons/hicolor/scalable/apps/$app.svg"
)
for icon in "$project_type" "$old_type"; do
  expect+=("usr/share/icons/hicolor/scalable/mimetypes/${icon/\//-}.svg")
done
for size in 16 24 32 48 64 128 256; do
  expect+=("usr/share/icons/hicolor/${size}x${size}/apps/$app.png")
  for icon in "$project_type" "$old_type"; do
    expect+=("usr/share/icons/hicolor/${size}x${size}/mimetypes/${icon/\//-}.png")
  done
done
if [ "$with_updater" = 1 ]; then
  expect+=(usr/libexec/vantorcreator/updater)
fi
for f in "${expect[@]}"; do
  [ -f "$root/$f" ] || fail "the package lacks /$f"
done
for f in usr/bin/VantorCreator usr/bin/vantorctl usr/libexec/vantorcreator/updater; do
  [ -e "$root/$f" ] || continue
  [ -x "$root/$f" ] || fail "/$f is not executable"
  if readelf -S "$root/$f" | grep -q '\.debug_info'; then fail "/$f carries debug information"; fi
done
if [ "$with_updater" != 1 ] && [ -e "$root/usr/libexec" ]; then
  fail "/usr/libexec is packaged without an updater"
fi
# Only the programs and their data: nothing outside /usr, no libraries,
# headers or build leftovers.
stray=$(cd "$root" && find . -type f | sed 's|^\./||' |
  grep -Ev '^usr/(bin|libexec/vantorcreator|share/(applications|metainfo|mime/packages|icons/hicolor|man/man1|bash-completion/completions))/')
[ -z "$stray" ] || fail "unexpected files: $stray"

# Each PNG icon is as large as its folder says.
for png in "$root"/usr/share/icons/hicolor/*x*/*/*.png; do
  size=${png#"$root"/usr/share/icons/hicolor/}
  size=${size%%x*}
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
  w=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
  h=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "${png#"$root"} is ${w}x$h"
done

# ---------------------------------------------------------------- programs

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export QT_QPA_PLATFORM=offscreen
ctl="$root/usr/bin/vantorctl"
"$ctl" --help >"$work/help.txt" 2>&1 || fail "vantorctl --help failed"
grep -q '^Usage: vantorctl' "$work/help.txt" || fail "vantorctl --help printed no usage"
if ! "$ctl" info "$src/tests/data/project/three-tracks.vtc3" >"$work/info.txt" 2>&1; then
  cat "$work/info.txt"
  fail "the packaged vantorctl cannot describe a project"
fi

# The manual pages render without a warning of the formatter; the manual
# page names, and the completion offers, every command and option of the
# program's help.
for page in vantorctl VantorCreator; do
  gz="$root/usr/share/man/man1/$page.1.gz"
  [ -f "$gz" ] || continue
  if ! LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$gz" \
    >/dev/null 2>"$work/man-$page.log" || [ -s "$work/man-$page.log" ]; then
    cat "$work/man-$page.log"
    fail "the manual page $page(1) does not render cleanly"
  fi
done
man_text=$(gzip -dc "$root/usr/share/man/man1/vantorctl.1.gz" 2>/dev/null | sed 's/\\-/-/g')
# complete WORD...: what the packaged completion offers for the last word,
# loaded as bash loads it.
complete_words() {
  bash -c 'source /usr/share/bash-completion/bash_completion
    source "$1"; shift
    COMP_WORDS=(vantorctl "$@"); COMP_CWORD=$#
    COMP_LINE="${COMP_WORDS[*]}"; COMP_POINT=${#COMP_LINE}
    _vantorctl vantorctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' _ "$root/usr/share/bash-completion/completions/vantorctl" "$@"
}
commands=$(sed -n '/^Commands:/,/^$/p' "$work/help.txt" | awk 'NF > 1 { print $1 }')
[ -n "$commands" ] || fail "no commands found in vantorctl --help"
offered=$(complete_words "")
for command in $commands; do
  grep -Eq "^\.B vantorctl $command\$" <<<"$man_text" ||
    fail "the manual page of vantorctl lacks the command $command in its synopsis"
  grep -Fxq "$command" <<<"$offered" || fail "the completion does not offer the command $command"
  "$ctl" "$command" --help >"$work/help-$command.txt" 2>"$work/help-$command.err" ||
    fail "vantorctl $command --help failed: $(cat "$work/help-$command.err")"
  # The program's own options; the toolkit's help options are left out.
  options=$(grep -oE '^ +(-[a-zA-Z], )?--[a-z][a-z-]*' "$work/help-$command.txt" |
    tr ',' ' ' | tr -s ' ' '\n' | grep -v '^$' | grep -vx -- '-h\|--help\|--help-all')
  offered_options=$(complete_words "$command" x -)
  for option in $options; do
    grep -Eq -- "(^|[^a-z-])$option([^a-z-]|\$)" <<<"$man_text" ||
      fail "the manual page of vantorctl lacks $option of $command"
    grep -Fxq -- "$option" <<<"$offered_options" ||
      fail "the completion does not offer $option after vantorctl $command"
  done
done

# ---------------------------------------------------------------- desktop

desktop="$root/usr/share/applications/$app.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_program" ] || fail "the desktop entry starts \"$exec_program\", not a packaged program"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$app" ] || fail "the desktop entry's icon is not $app"
for type in "$project_type" "$old_type"; do
  grep -q "^MimeType=.*$type;" "$desktop" || fail "the desktop entry does not open $type"
done

metainfo="$root/usr/share/metainfo/$app.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses the metadata"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata does not name version $version"
grep -q '<screenshot type="default">' "$metainfo" || fail "the metadata has no screenshot"

# The file types as the desktop sees them once the package is installed:
# the shared MIME database and the desktop entries' cache built over the
# unpacked tree, the system's own types behind it.
export XDG_DATA_DIRS="$root/usr/share:/usr/share"
# xdg-mime's own lookup (through `mimetype`), whatever desktop runs the test.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
update-mime-database "$root/usr/share/mime" || fail "update-mime-database failed"
update-desktop-database "$root/usr/share/applications" || fail "update-desktop-database failed"
cp "$src/tests/data/project/three-tracks.vtc3" "$work/show.vtc3"
cp "$src/tests/data/project/four-kinds.vtc" "$work/old show.vtc"
for pair in "show.vtc3:$project_type" "old show.vtc:$old_type"; do
  file=${pair%%:*}
  type=${pair#*:}
  got=$(xdg-mime query filetype "$work/$file" 2>&1)
  [ "${got%%;*}" = "$type" ] || fail "xdg-mime takes \"$file\" for \"$got\", not $type"
  got=$(xdg-mime query default "$type" 2>&1)
  [ "$got" = "$app.desktop" ] || fail "xdg-mime opens $type with \"$got\", not $app.desktop"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; the package is $deb"
  exit 1
fi
echo "the package passed every check"
