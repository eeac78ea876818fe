#!/usr/bin/env bash
# Installs every Debian package Fotarel needs to build, test and run.
# Safe to run again: packages already present are left alone, and the package
# lists are refreshed only when something is actually missing.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # GUI, painting, images, audio playback in previews
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-image-formats-plugins
  libgl-dev libxkbcommon-dev
  # encoding and decoding
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  ffmpeg
  # pictures, packages, movies
  libturbojpeg0-dev libjpeg-dev libpng-dev libgif-dev zlib1g-dev liblzma-dev libexif-dev
  # face detection for the crops (the cascades come with opencv-data)
  libopencv-dev opencv-data
  # simplified/traditional Chinese
  libopencc-dev
  # fonts for the Chinese interface
  fonts-noto-cjk fonts-wqy-zenhei
  # Qt's own Chinese texts for the standard dialogs and buttons
  qt6-translations-l10n
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
  # tests: the disc authoring tools that must accept the VCD, SVCD and DVD disc streams
  vcdimager dvdauthor
  # the SWF conformance runner (tests/swf_conformance)
  python3
  # benchmarks: libvips for the photo import comparison, GNU time for peak memory
  libvips-tools time
  # the Debian package: its icons rendered from the SVG, dependencies from the
  # programs' libraries, the build and the check of the package
  librsvg2-bin dpkg-dev lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
