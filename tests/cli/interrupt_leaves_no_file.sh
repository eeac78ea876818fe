#!/usr/bin/env bash
# Ctrl-C (SIGINT) while an album is being encoded ends the render through its
# stop path: the program says it stopped, exits with 1, and leaves neither the
# output nor its temporary ".part" file, nor its working folder.
# usage: interrupt_leaves_no_file.sh FOTAREL_CLI
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
for i in 1 2 3 4 5 6; do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=1,hue=h=$((i * 50))" -frames:v 1 "$work/p$i.jpg"
done
mkfifo "$work/progress"
# Job control: without it a script's background job ignores SIGINT.
set -m
"$cli" make --type DVD --seed 3 -o "$work/album.mpg" "$work"/p*.jpg 2> "$work/progress" > /dev/null &
pid=$!
exec 3< "$work/progress"
# The render's bar ("[###...]  61%") counts set-up as the first half: past
# 60 % frames are being encoded.
while IFS= read -r -d '%' chunk <&3; do
  percent=${chunk##* }
  if [[ "$chunk" == *"]"* && "$percent" =~ ^[0-9]+$ ]] && (( percent >= 60 )); then
    break
  fi
done
kill -INT "$pid"
cat <&3 > "$work/rest" &
status=0
wait "$pid" || status=$?
wait
(( status == 1 )) || { echo "exit status $status after Ctrl-C"; cat "$work/rest"; exit 1; }
[ ! -e "$work/album.mpg" ] || { echo "album.mpg exists after Ctrl-C"; exit 1; }
! compgen -G "$work/album.mpg*.part" > /dev/null || { echo "a .part file left after Ctrl-C"; exit 1; }
[ -z "$(ls -A "$TMPDIR")" ] || { echo "working files left after Ctrl-C:"; ls -A "$TMPDIR"; exit 1; }
echo "stopped: $(tr '\r' '\n' < "$work/rest" | tail -n 1)"
