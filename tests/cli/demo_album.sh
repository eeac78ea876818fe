#!/usr/bin/env bash
# "fotarel-cli demo" shows what the program does: its song lasts as long as
# the pictures (no silent stretch), and the video carries the LRC lines, a
# karaoke line being sung and a flying caption at their times.
# usage: demo_album.sh FOTAREL_CLI
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
fail() { echo "FAIL: $*"; exit 1; }
"$cli" demo "$work/demo.mpg" > "$work/out" 2> "$work/err" || { cat "$work/err"; fail "demo exits with $?"; }
if grep -q "音乐比相册短" "$work/err"; then fail "the demo's song is shorter than its pictures"; fi
video=$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 "$work/demo.mpg")
audio=$(ffprobe -v error -select_streams a:0 -show_entries stream=duration -of csv=p=0 "$work/demo.mpg")
awk -v v="$video" -v a="$audio" 'BEGIN { d = v - a; exit !(d < 0.5 && d > -0.5) }' \
  || fail "video $video s, song $audio s"

# Pixels of the frame at second $1, in the part x $2-$3, y $4-$5 (hundredths
# of the picture), for which the awk condition $6 on r, g, b holds.
count() {
  ffmpeg -v error -ss "$1" -i "$work/demo.mpg" -frames:v 1 \
    -vf "scale=480:270,crop=iw*($3-$2)/100:ih*($5-$4)/100:iw*$2/100:ih*$4/100" -f rawvideo -pix_fmt rgb24 - |
    od -An -tu1 -v | awk -v cond="$6" '
      { for (i = 1; i <= NF; i++) v[n++] = $i }
      END { c = 0; for (i = 0; i + 2 < n; i += 3) { r = v[i]; g = v[i+1]; b = v[i+2]
              if ((cond == "white" && r > 220 && g > 220 && b > 220) ||
                  (cond == "blue" && b > 160 && r < 70 && g < 70) ||
                  (cond == "yellow" && r > 200 && g > 200 && b < 80)) c++ }
            print c }'
}
lrc=$(count 2 35 65 90 100 white)
[ "$lrc" -gt 50 ] || fail "no LRC line at 00:02 ($lrc white pixels)"
caption=$(count 8 0 100 0 100 yellow)
[ "$caption" -gt 50 ] || fail "no caption at 00:08 ($caption yellow pixels)"
sung=$(count 14.5 0 60 70 95 blue)
[ "$sung" -gt 50 ] || fail "no karaoke line being sung at 00:14.5 ($sung blue pixels)"
echo "demo: ${video} s of video and song; LRC $lrc, caption $caption, sung $sung pixels"
