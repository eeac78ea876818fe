#!/usr/bin/env bash
# An album made with --song A --lrc A.lrc --song B --lrc B.lrc differs from
# the same album without lyrics exactly from the frames the lines are due:
# A's line at 1.00 s (album frame 25), B's at 0.40 s into B (frame 75 + 10).
# usage: lrc_album.sh FOTAREL_CLI
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=1" -frames:v 1 "$work/p1.jpg"
for s in a b; do
  ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=3" -ac 2 -c:a libmp3lame "$work/$s.mp3"
done
# GBK and UTF-8 with a byte-order mark, as real files come.
printf '[ti:A]\r\n[00:01.00]\xb5\xda\xd2\xbb\xca\xd7\r\n' > "$work/a.lrc"
printf '\xef\xbb\xbf[00:00.40]第二首\n[00:02.00]\n' > "$work/b.lrc"
make_album() {
  "$cli" make --type BMP --quality normal --size 320x176 --seed 5 -o "$work/$1" "${@:2}" "$work/p1.jpg" > /dev/null 2>&1
  (cd "$work/$1" && md5sum -- * | awk '{print $1}') > "$work/$1.md5"
}
make_album plain --song "$work/a.mp3" --song "$work/b.mp3"
make_album lyrics --song "$work/a.mp3" --lrc "$work/a.lrc" --song "$work/b.mp3" --lrc "$work/b.lrc"
# 0-based indices of the frames that differ.
diffs=$(paste "$work/plain.md5" "$work/lyrics.md5" | awk '$1 != $2 {print NR - 1}')
[ -n "$diffs" ] || { echo "the lyrics changed no frame"; exit 1; }
first=$(echo "$diffs" | head -1)
# File f is the album's frame f, at f × 40 ms: the line due at 1.00 s is on file 25.
[ "$first" -eq 25 ] || { echo "first lyric frame $first, expected 25"; exit 1; }
# Song b's line shows from file 85 and is cleared by its blank line at 2.00 s (file 125).
for f in 60 90 110; do
  echo "$diffs" | grep -qx "$f" || { echo "frame $f shows no lyric"; exit 1; }
done
for f in 80 130 160; do
  if echo "$diffs" | grep -qx "$f"; then echo "frame $f shows a lyric"; exit 1; fi
done
echo "lyrics from frame $first, $(echo "$diffs" | wc -l) frames with a line"
