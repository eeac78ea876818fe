#!/usr/bin/env bash
# The command line tells each thing once and follows the album it makes:
# "make --help" names the command in its usage line; without XDG_RUNTIME_DIR
# the program makes its own private runtime folder and Qt says nothing about
# it; a karaoke file's repaired line is reported once; a project saved as MP4
# and made again with "-o b.mp4" writes b.mp4 (its type decides the name).
# usage: project_type_and_notices.sh FOTAREL_CLI
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
fail() { echo "FAIL: $*"; exit 1; }
ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=1" -frames:v 1 "$work/p1.jpg"
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=3" -ac 2 -c:a libmp3lame "$work/s.mp3"
# The second duration is no number: the reader repairs the line and says so.
printf "karaoke.add('00:01.000', '00:02.000', 'ab', '400,x');\n" > "$work/s.ksc"

"$cli" make --help > "$work/help.out" 2>&1 || fail "make --help exits with $?"
head -1 "$work/help.out" | grep -q "fotarel-cli make" || fail "usage line without make: $(head -1 "$work/help.out")"

mkdir -p "$work/rt"
env -u XDG_RUNTIME_DIR TMPDIR="$work/rt" "$cli" make --type MP4 --size 320x176 --seed 3 \
  --song "$work/s.mp3" --ksc "$work/s.ksc" --save-project "$work/mp4.fotarel" -o "$work/a.mp4" "$work/p1.jpg" \
  > "$work/first.out" 2> "$work/first.err" || { cat "$work/first.err"; fail "first album"; }
if grep -q "XDG_RUNTIME_DIR" "$work/first.err"; then fail "Qt warned about the runtime folder"; fi
runtime="$work/rt/runtime-$(id -un)"
[ "$(stat -c %a "$runtime")" = 700 ] || fail "no private runtime folder $runtime"
notices=$(grep -c "第 1 行" "$work/first.err" || true)
[ "$notices" -eq 1 ] || { cat "$work/first.err"; fail "the karaoke notice was printed $notices times"; }

"$cli" make --project "$work/mp4.fotarel" -o "$work/b.mp4" > /dev/null 2> "$work/again.err" \
  || { cat "$work/again.err"; fail "album from the project"; }
[ -f "$work/b.mp4" ] || fail "b.mp4 was not written ($(ls "$work"))"
[ ! -e "$work/b.mp4.mpg" ] || fail "the MP4 project was written as b.mp4.mpg"
ffprobe -v error -show_entries format=format_name -of csv=p=0 "$work/b.mp4" | grep -q mp4 || fail "b.mp4 is no MP4 file"
echo "notices once, runtime folder private, MP4 project named as asked"
