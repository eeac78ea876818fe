#!/usr/bin/env bash
# A saved project makes the same album again: fotarel-cli make --save-project,
# then make --project from the saved file, frames compared by their MD5s.
# A broken project file is refused with a message and exit code 1.
# usage: project_round_trip.sh FOTAREL_CLI
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
for i in 1 2 3; do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=1,hue=h=$((i * 70))" -frames:v 1 "$work/p$i.jpg"
done
frames() {
  ffmpeg -v error -i "$1" -map 0:v -f framemd5 - | grep -v '^#' | awk -F, '{print $NF}'
}
"$cli" make --type VCD --size 320x176 --seed 5 --save-project "$work/album.fotarel" \
  -o "$work/first.mpg" "$work"/p*.jpg > /dev/null 2>&1
grep -q '"fotarel_album": 1' "$work/album.fotarel" || { echo "no versioned project written"; exit 1; }
"$cli" make --project "$work/album.fotarel" -o "$work/again.mpg" > /dev/null 2>&1
frames "$work/first.mpg" > "$work/first.md5"
frames "$work/again.mpg" > "$work/again.md5"
[ -s "$work/first.md5" ] || { echo "no frames decoded"; exit 1; }
cmp -s "$work/first.md5" "$work/again.md5" || { echo "the project gave another album"; exit 1; }
head -c 100 "$work/album.fotarel" > "$work/broken.fotarel"
if "$cli" make --project "$work/broken.fotarel" -o "$work/broken.mpg" > /dev/null 2> "$work/err"; then
  echo "a broken project was accepted"; exit 1
fi
[ ! -e "$work/broken.mpg" ] || { echo "a broken project left an output"; exit 1; }
echo "project round trip: $(wc -l < "$work/first.md5") identical frames"
