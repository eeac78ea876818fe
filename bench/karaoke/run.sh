#!/bin/bash
# Karaoke's cost per 1080p frame: the album frame with and without the
# karaoke overlay, a four-minute song each, taking turns; prints the mean of
# each (wall and CPU time) and the difference in milliseconds and as a
# ratio. On a loaded machine the CPU times are the ones to compare.
#   bench/karaoke/run.sh BUILD_DIR [REPETITIONS]
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR [REPETITIONS]}
reps=${2:-5}
"$build/bin/karaoke_bench" --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true | tee /dev/stderr |
  awk '/_mean/ { name = ($1 ~ /WithKaraoke/) ? "kar" : "plain"; wall[name] = $2; cpu[name] = $4 }
       END {
         printf "wall: album frame %.3f ms, with karaoke %.3f ms: karaoke adds %.3f ms a frame (ratio %.2f)\n",
                wall["plain"] / 1000, wall["kar"] / 1000, (wall["kar"] - wall["plain"]) / 1000, wall["kar"] / wall["plain"]
         printf "cpu:  album frame %.3f ms, with karaoke %.3f ms: karaoke adds %.3f ms a frame (ratio %.2f)\n",
                cpu["plain"] / 1000, cpu["kar"] / 1000, (cpu["kar"] - cpu["plain"]) / 1000, cpu["kar"] / cpu["plain"] }'
