#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [cmake options...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
cmake -S "$here" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
