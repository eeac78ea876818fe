#!/usr/bin/env bash
# Caption benchmark: the same album (N photos, default 8, DVD 1920 × 1080,
# fixed seed) rendered through fotarel-cli without captions and with eight
# 40-point captions (four flying from 00:00, four from 00:20), taking turns
# ROUNDS times; the best time of each counts. Prints the time per frame of
# both, the caption cost per frame and the ratio. Then runs the per-frame
# micro benchmark (caption_bench), which isolates the overlay's own cost.
#
# usage: bench/effects/run.sh [BUILD_DIR] [PHOTOS] [ROUNDS]
set -euo pipefail
build=${1:-build}
count=${2:-8}
rounds=${3:-1}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for i in $(seq 1 "$count"); do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=1600x1200:rate=1,hue=h=$((i * 23))" -frames:v 1 -q:v 3 \
    "$work/photo_$(printf %02d "$i").jpg"
done

captions=()
for start in 00:00 00:20; do
  for effect in 2 4 19 26; do
    captions+=(--caption "$start|$effect|生日快乐 Happy Birthday|黑体|40|clYellow")
  done
done

render_once() { # $1: label, rest: extra options
  local label=$1; shift
  local t0 t1
  t0=$(date +%s.%N)
  "$bin/fotarel-cli" make --type DVD --seed 1 "$@" -o "$work/$label.mpg" "$work"/photo_*.jpg \
    > "$work/out_$label" 2> "$work/err_$label" || { cat "$work/err_$label"; exit 1; }
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.3f", b-a}'
}

best() { printf '%s\n' "$@" | sort -g | head -n 1; }
plain_times=(); caption_times=()
for round in $(seq 1 "$rounds"); do
  plain_times+=("$(render_once plain)")
  caption_times+=("$(render_once captions "${captions[@]}")")
  echo "round $round: without ${plain_times[-1]} s, with captions ${caption_times[-1]} s" >&2
done
frames=$(awk '{print $2}' "$work/out_plain")
plain_s=$(best "${plain_times[@]}")
caption_s=$(best "${caption_times[@]}")
echo "photos:                        $count, $frames frames (best of $rounds round(s))"
awk -v p="$plain_s" -v c="$caption_s" -v f="$frames" 'BEGIN{
  printf "album without captions:        %.2f s (%.2f ms a frame)\n", p, 1000*p/f;
  printf "album with 8 captions:         %.2f s (%.2f ms a frame)\n", c, 1000*c/f;
  printf "caption cost per frame:        %.2f ms (with/without %.3f)\n", 1000*(c-p)/f, c/p }'

echo
"$bin/caption_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median|Benchmark|---'
