#!/usr/bin/env bash
# Runs share no working file and the program does not need its own folder to
# be writable or in one place:
# - two renders at once, with different photos, give the same frames as each
#   alone;
# - a render beside the open desktop program (when its path is given) gives
#   the same frames too, and the desktop program keeps running;
# - a project saved, the program moved to another folder, the project
#   renders the same frames;
# - no run leaves a working folder behind.
# usage: side_by_side.sh FOTAREL_CLI [FOTAREL]
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
export XDG_DATA_HOME="$work/data"
for i in 1 2 3 4; do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=1,hue=h=$((i * 80))" -frames:v 1 "$work/p$i.jpg"
done
render() { # render NAME CLI OPTIONS... : the album's frames into NAME.md5
  local name=$1 program=$2
  shift 2
  "$program" make --type VCD --size 320x176 --seed 5 -o "$work/$name.mpg" "$@" > /dev/null 2> "$work/$name.err" ||
    { echo "$name failed:"; cat "$work/$name.err"; exit 1; }
  ffmpeg -v error -i "$work/$name.mpg" -map 0:v -f framemd5 - | grep -v '^#' | awk -F, '{print $NF}' > "$work/$name.md5"
  [ -s "$work/$name.md5" ] || { echo "$name: no frames decoded"; exit 1; }
}
same() {
  cmp -s "$work/$1.md5" "$work/$2.md5" || { echo "$2 differs from $1"; exit 1; }
}

render a_alone "$cli" "$work/p1.jpg" "$work/p2.jpg"
render b_alone "$cli" "$work/p3.jpg" "$work/p4.jpg"
if cmp -s "$work/a_alone.md5" "$work/b_alone.md5"; then echo "the two inputs give the same album"; exit 1; fi

render a_both "$cli" "$work/p1.jpg" "$work/p2.jpg" &
first=$!
render b_both "$cli" "$work/p3.jpg" "$work/p4.jpg" &
second=$!
wait "$first"
wait "$second"
same a_alone a_both
same b_alone b_both

if [ -n "${2:-}" ]; then
  cp "$2" "$work/bin/"
  QT_QPA_PLATFORM=offscreen "$work/bin/$(basename "$2")" > /dev/null 2>&1 &
  desktop=$!
  for _ in $(seq 200); do
    [ -d "$XDG_DATA_HOME/Fotarel/smxcwjj/wj_0_or_1/wj_1_jy" ] && break
    sleep 0.1
  done
  [ -d "$XDG_DATA_HOME/Fotarel/smxcwjj/wj_0_or_1/wj_1_jy" ] || { echo "the desktop program did not start"; exit 1; }
  render beside_desktop "$cli" "$work/p1.jpg" "$work/p2.jpg"
  kill -0 "$desktop" || { echo "the desktop program ended during the render"; exit 1; }
  kill "$desktop"
  wait "$desktop" || true
  same a_alone beside_desktop
fi

render saved "$cli" --save-project "$work/album.fotarel" "$work/p1.jpg" "$work/p2.jpg" "$work/p3.jpg"
mv "$work/bin" "$work/moved"
render reopened "$work/moved/$(basename "$cli")" --project "$work/album.fotarel"
same saved reopened

[ -z "$(ls -A "$TMPDIR")" ] || { echo "working files left behind:"; ls -A "$TMPDIR"; exit 1; }
echo "side by side: $(wc -l < "$work/a_alone.md5") and $(wc -l < "$work/b_alone.md5") identical frames"
