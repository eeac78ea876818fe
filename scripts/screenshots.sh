#!/usr/bin/env bash
# Screenshots of the desktop program's windows under Xvfb, at a 1366 x 768
# and a 1920 x 1080 screen: the album wizard, the photos area with a photo
# selected and its hint, a command's hint, the music area, the karaoke
# settings previewing a karaoke file against the song, the template
# preview playing, the photo browser and the caption editor.
#
#   scripts/screenshots.sh [BUILD_DIR] [OUTPUT_FOLDER]
#
# Needs a build with the template library (the default targets) and xvfb.
set -euo pipefail
build=${1:-build}
out=${2:-screenshots}
cmake --build "$build" --target fotarel-screenshots template_library
for size in 1366x768 1920x1080; do
  xvfb-run -a -s "-screen 0 ${size}x24" "$build/bin/fotarel-screenshots" "$out" "$size"
done
