#!/usr/bin/env bash
# Ctrl-C or SIGTERM at any step (photo import, project opening, the render's
# set-up, an image sequence's render) ends fotarel-cli as a stopped render
# does: it says "已停止制作。", exits with 1 and leaves no file, no ".part",
# no working folder and no empty folder that would block the name. An output that is a folder,
# or a folder that cannot be written, is refused before anything is imported.
# usage: stops_and_early_checks.sh FOTAREL_CLI
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
fail() { echo "FAIL: $*"; exit 1; }
# Big photos: their import takes long enough to be interrupted.
for i in $(seq 1 12); do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=4000x3000:rate=1,hue=h=$((i * 30))" -frames:v 1 "$work/p$i.jpg"
done
mkdir "$work/out"

# Runs the program, sends `signal` once standard error shows `pattern`
# (a progress line: "添加相片  25%" or the render's "[##..]  10%"), and
# checks the outcome. Arguments: name signal pattern program-arguments...
stop_at() {
  local name=$1 signal=$2 pattern=$3
  shift 3
  rm -f "$work/progress"
  mkfifo "$work/progress"
  set -m
  "$cli" "$@" 2> "$work/progress" > /dev/null &
  local pid=$!
  set +m
  exec 3< "$work/progress"
  while IFS= read -r -d '%' chunk <&3; do
    [[ "$chunk" =~ $pattern ]] && break
  done
  kill "-$signal" "$pid"
  cat <&3 > "$work/rest" &
  local status=0
  wait "$pid" || status=$?
  wait
  exec 3<&-
  (( status == 1 )) || { cat "$work/rest"; fail "$name: exit status $status after SIG$signal"; }
  grep -q "已停止制作。" "$work/rest" || { cat "$work/rest"; fail "$name: no word that it stopped"; }
  local left
  left=$(find "$work/out" "$TMPDIR" -mindepth 1)
  [ -z "$left" ] || fail "$name: left $left"
  echo "$name: stopped"
}

stop_at "Ctrl-C during the photo import" INT "添加相片 +[0-9]+$" \
  make --type DVD --seed 3 -o "$work/out/album.mpg" "$work"/p*.jpg
stop_at "SIGTERM during the render's set-up" TERM "\] +[0-9]+$" \
  make --type VCD --size 320x176 --seed 3 -o "$work/out/setup.mpg" "$work"/p1.jpg
stop_at "Ctrl-C during an image sequence" INT "\] +([6-9][0-9])$" \
  make --type JPG --size 320x176 --seed 3 -o "$work/out/a/b/sequence" "$work"/p1.jpg "$work"/p2.jpg

# Project opening: the project names the big photos; the signal comes while
# it is being opened (its photos are measured and cropped anew).
"$cli" make --seed 3 --save-project "$work/album.fotarel" "$work"/p*.jpg > /dev/null 2>&1 \
  || fail "the project was not saved"
set -m
"$cli" make --project "$work/album.fotarel" -o "$work/out/project.mpg" > /dev/null 2> "$work/rest" &
pid=$!
set +m
# Once the program catches SIGTERM (bit 15 of SigCgt) its job has begun:
# the signal then comes while the library loads or the project opens.
for _ in $(seq 400); do
  mask=$(awk '/^SigCgt/ {print $2}' "/proc/$pid/status" 2> /dev/null || true)
  [ -n "$mask" ] && (( (16#$mask >> 14) & 1 )) && break
  sleep 0.05
done
sleep 0.2
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
(( status == 1 )) || { cat "$work/rest"; fail "project opening: exit status $status after SIGTERM"; }
grep -q "已停止制作。" "$work/rest" || { cat "$work/rest"; fail "project opening: no word that it stopped"; }
left=$(find "$work/out" "$TMPDIR" -mindepth 1)
[ -z "$left" ] || fail "project opening: left $left"
echo "SIGTERM while a project opens: stopped"

# Output places that cannot take the album are refused before the import.
mkdir "$work/out/folder.mpg"
check_refused() {
  local name=$1 message=$2
  shift 2
  local status=0
  "$cli" "$@" > /dev/null 2> "$work/err" || status=$?
  (( status == 1 )) || fail "$name: exit status $status"
  grep -q -- "$message" "$work/err" || { cat "$work/err"; fail "$name: no message \"$message\""; }
  if grep -q "添加相片" "$work/err"; then fail "$name: found only after the import"; fi
  echo "$name: refused at once"
}
check_refused "an output that is a folder" "folder.mpg 是一个文件夹" \
  make -o "$work/out/folder.mpg" "$work"/p*.jpg
rmdir "$work/out/folder.mpg"

# A read-only folder: a read-only bind mount for root (who may write where
# the permissions say no), the permissions for anyone else.
mkdir "$work/readonly"
if [ "$(id -u)" = 0 ]; then
  if mount --bind "$work/readonly" "$work/readonly" 2> /dev/null; then
    trap 'umount "$work/readonly" 2> /dev/null; rm -rf "$work"' EXIT
    mount -o remount,ro,bind "$work/readonly" || fail "cannot make the bind mount read-only"
  else
    echo "SKIP the read-only folder: this machine does not allow a bind mount"
    exit 77
  fi
else
  chmod 555 "$work/readonly"
fi
check_refused "a read-only output folder" "无法在文件夹 $work/readonly 中写入文件" \
  make -o "$work/readonly/album.mpg" "$work"/p*.jpg
check_refused "a sequence in a read-only folder" "无法创建文件夹 $work/readonly/seq" \
  make --type JPG -o "$work/readonly/seq" "$work"/p*.jpg
