#!/usr/bin/env bash
# The main job from nothing: installs the packages, builds Fotarel and starts
# it. Under a desktop the main window opens. Without a display the same
# start-up runs headless and lists the template library it loaded.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

bash scripts/install-deps.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/fotarel
fi
echo "No display: running the start-up headless." >&2
build/bin/fotarel-cli templates
echo "To open the desktop program, run build/bin/fotarel under a desktop session." >&2
