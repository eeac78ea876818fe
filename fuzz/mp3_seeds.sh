#!/usr/bin/env bash
# Writes short MP3 seeds for the audio probe: constant and variable bit
# rate, with and without the Xing header, with ID3v2 and ID3v1 tags.
#   fuzz/mp3_seeds.sh OUT
set -euo pipefail
out="$1"
mkdir -p "$out"
if ! command -v ffmpeg >/dev/null; then
  echo "mp3_seeds: no ffmpeg; the audio probe keeps its committed seeds" >&2
  exit 0
fi
song() { # name, encoder arguments...
  local name="$1"; shift
  ffmpeg -nostdin -v error -y -f lavfi -i "sine=f=440:d=0.25:r=8000" -ac 1 -c:a libmp3lame "$@" "$out/$name.mp3"
}
song cbr -b:a 16k -write_xing 0 -id3v2_version 0
song vbr-xing -q:a 9 -id3v2_version 0
song vbr-no-xing -q:a 9 -write_xing 0 -id3v2_version 0
song id3v2 -b:a 16k -id3v2_version 3 -metadata title="歌名" -metadata artist="歌手"
song id3v1 -b:a 16k -id3v2_version 0 -write_id3v1 1 -metadata title="song" -metadata artist="singer"
song stereo-44k -ar 44100 -ac 2 -b:a 32k
