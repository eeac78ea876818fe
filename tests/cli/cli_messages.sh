#!/usr/bin/env bash
# What fotarel-cli tells its user: help on standard output with success,
# Chinese messages without internal names or FFmpeg's own log lines, the
# output name rule shared with the save dialog, the silent stretch of songs
# shorter than the album, the NTSC rate of AVI, and the files an image
# sequence really wrote.
# usage: cli_messages.sh FOTAREL_CLI
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
fail() { echo "FAIL: $*"; exit 1; }
for i in 1 2; do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=1,hue=h=$((i * 90))" -frames:v 1 "$work/p$i.jpg"
done
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=1.5" -ac 2 -c:a libmp3lame "$work/short.mp3"

# Help: standard output, exit 0, nothing on standard error.
"$cli" --help > "$work/help.out" 2> "$work/help.err" || fail "--help exits with $?"
grep -q "用法" "$work/help.out" || fail "--help prints no usage on standard output"
[ ! -s "$work/help.err" ] || fail "--help writes to standard error"

# A short song and a name with another extension.
"$cli" make --type VCD --size 320x176 --seed 3 --song "$work/short.mp3" -o "$work/x.avi" "$work"/p*.jpg \
  > "$work/vcd.out" 2> "$work/vcd.err" || { cat "$work/vcd.err"; fail "VCD album"; }
[ -f "$work/x.avi.mpg" ] || fail "x.avi was not given the .mpg extension"
grep -q "输出为 x.avi.mpg" "$work/vcd.err" || fail "no notice of the changed name"
grep -q "音乐比相册短" "$work/vcd.err" || fail "no notice of the silent stretch"
grep -q "添加音乐" "$work/vcd.err" || fail "the music import's progress is not named"
if grep -q "ProgressBar_\|@ 0x" "$work/vcd.err"; then fail "internal names or FFmpeg log lines shown"; fi

# An image sequence: the song is ignored, the files written are reported.
"$cli" make --type JPG --size 320x176 --seed 3 --song "$work/short.mp3" -o "$work/seq" "$work"/p*.jpg \
  > "$work/seq.out" 2> "$work/seq.err" || { cat "$work/seq.err"; fail "image sequence"; }
grep -q -- "--song 给出的音乐不会写出" "$work/seq.err" || fail "the unused song is not mentioned"
first=$(ls "$work/seq" | sort | head -1)
last=$(ls "$work/seq" | sort | tail -1)
count=$(ls "$work/seq" | wc -l)
grep -q "$count 张图片：$first … $last" "$work/seq.out" || { cat "$work/seq.out"; fail "reported files differ from $first…$last"; }

# AVI under NTSC says its frame rate.
"$cli" make --type AVI --standard NTSC --size 320x176 --seed 3 -o "$work/ntsc" "$work"/p*.jpg \
  > "$work/avi.out" 2> "$work/avi.err" || { cat "$work/avi.err"; fail "AVI album"; }
grep -q "29.97" "$work/avi.err" || fail "AVI NTSC does not say its frame rate"
[ -f "$work/ntsc.avi" ] || fail "-o ntsc did not give ntsc.avi"
echo "command-line messages as expected"
