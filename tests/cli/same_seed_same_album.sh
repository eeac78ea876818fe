#!/usr/bin/env bash
# The same photos and seed make the same album; another seed draws other
# templates. Compares the decoded pictures (MD5 of every frame).
# usage: same_seed_same_album.sh FOTAREL_CLI
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
for i in 1 2 3 4 5 6; do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=1,hue=h=$((i * 50))" -frames:v 1 "$work/p$i.jpg"
done
make_album() {
  "$cli" make --type VCD --size 320x176 --seed "$1" -o "$work/$2.mpg" "$work"/p*.jpg > /dev/null 2>&1
  ffmpeg -v error -i "$work/$2.mpg" -map 0:v -f framemd5 - | grep -v '^#' | awk -F, '{print $NF}' > "$work/$2.md5"
}
make_album 11 first
make_album 11 again
make_album 12 other
[ -s "$work/first.md5" ] || { echo "no frames decoded"; exit 1; }
cmp -s "$work/first.md5" "$work/again.md5" || { echo "seed 11 twice gave different albums"; exit 1; }
if cmp -s "$work/first.md5" "$work/other.md5"; then
  echo "seeds 11 and 12 gave the same album"; exit 1
fi
echo "same seed, same album: $(wc -l < "$work/first.md5") frames"
