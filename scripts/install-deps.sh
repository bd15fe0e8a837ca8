#!/usr/bin/env bash
# Installs the Debian packages this project needs to build, run and test.
# Does nothing when everything is already present; runs `apt-get update`
# only when something has to be installed.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config
  # Qt 5 development files
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools
  qtmultimedia5-dev libqt5serialport5-dev libqt5charts5-dev libqt5svg5-dev
  # recovery copies of unsaved projects (KAutoSaveFile; needs only QtCore)
  libkf5coreaddons-dev
  # runtime plug-ins: SVG icons, audio playback/decoding through GStreamer
  libqt5svg5 qt5-image-formats-plugins libqt5multimedia5-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-tools
  # video export: H.264 (x264enc) and AAC (avenc_aac) for MP4, and the
  # GStreamer headers the encoder is built against
  gstreamer1.0-plugins-ugly gstreamer1.0-libav
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  # Ed25519 signatures of updates
  libsodium-dev
  # beat tracking of songs
  libaubio-dev
  # decoding songs (waveform and beats in one pass) with GStreamer directly
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  # a font that covers Traditional Chinese, and the toolkit's own dialogs
  # and buttons in Traditional Chinese
  fonts-noto-cjk qttranslations5-l10n
  # virtual display for the tests and screenshots
  xvfb xauth
  # software OpenGL for the preview widget under the virtual display
  libgl1-mesa-dri
  # the Debian package: building it (dpkg-shlibdeps works out its
  # dependencies) and checking it as the desktop sees it
  dpkg-dev desktop-file-utils appstream xdg-utils libfile-mimeinfo-perl
  shared-mime-info man-db bash-completion
  # CI: waiting for the installed editor's main window
  xdotool
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}" >&2
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
