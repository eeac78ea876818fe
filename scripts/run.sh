#!/usr/bin/env bash
# The main job from nothing: installs the packages, builds Fotarel (with its
# template library beside the programs) and renders a demo album: photos and
# a song that the program makes itself, through the whole pipeline into a DVD
# MPEG file. Prints where the video is and how to start the desktop program.
#
#   scripts/run.sh [OUTPUT.mpg]     default: demo_album.mpg in the current folder
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$PWD/demo_album.mpg}"
cd "$here"

bash scripts/install-deps.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release

build/bin/fotarel-cli demo "$out"
