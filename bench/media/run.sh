#!/bin/bash
# Builds and runs the media library's side-by-side benchmark against the
# ffmpeg command line. Usage: bench/media/run.sh [frames] [rounds] [DVD|VCD|AVI|MP4]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-media}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFOTAREL_BENCH=ON >/dev/null
cmake --build "$build" --target media_bench -j2
"$build/bin/media_bench" "$@"
