#!/usr/bin/env bash
# The main job from nothing: installs the packages, builds what the demo needs
# (the command-line program, the template library beside it, and the desktop
# program the user is told to start) and renders a demo album: photos and a
# song that the program makes itself, through the whole pipeline into a DVD
# MPEG file. Prints where the video is and how to start the desktop program.
# Tests and benchmarks are built by scripts/test.sh, not here.
#
#   scripts/run.sh [OUTPUT.mpg]     default: demo_album.mpg in the current folder
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$PWD/demo_album.mpg}"
cd "$here"

# Without a login session there is no runtime folder; give Qt a private one
# as it would make itself, so it does not warn about it at every start.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="${TMPDIR:-/tmp}/runtime-$(id -un)"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
fi

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --parallel "$(nproc)" --target fotarel-cli template_library fotarel

build/bin/fotarel-cli demo "$out"
