#!/usr/bin/env bash
# Installs a built package as a user would (apt-get install ./fotarel_*.deb,
# which brings what it depends on), then, as an ordinary user, makes the
# demo album with fotarel-cli, saves a project and starts the desktop program
# with it under Xvfb; removes the package and the user afterwards.
#
#   scripts/check-package.sh fotarel_<version>_amd64.deb
#
# Needs root (or sudo) to install; without it the check is skipped with a
# message.
set -euo pipefail
deb="$(realpath "$1")"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    echo "check-package: skipped, installing a package needs root or sudo"
    exit 0
  fi
  SUDO="sudo"
fi
user=fotarel-check
export DEBIAN_FRONTEND=noninteractive

script=""
cleanup() {
  [ -z "$script" ] || rm -f "$script"
  $SUDO apt-get remove -y -q fotarel >/dev/null 2>&1 || true
  $SUDO userdel -r "$user" >/dev/null 2>&1 || true
}
trap cleanup EXIT

# apt reads the file as its own unprivileged user: give it a readable copy.
copy="$(mktemp -d)"
cp "$deb" "$copy/"
chmod 755 "$copy"
chmod 644 "$copy/$(basename "$deb")"
$SUDO apt-get install -y -q "$copy/$(basename "$deb")" >/dev/null
rm -rf "$copy"
for f in /usr/bin/fotarel /usr/bin/fotarel-cli /usr/share/applications/fotarel.desktop \
         /usr/share/mime/packages/fotarel.xml /usr/share/icons/hicolor/48x48/apps/fotarel.png \
         /usr/share/man/man1/fotarel.1.gz /usr/share/man/man1/fotarel-cli.1.gz; do
  [ -e "$f" ] || { echo "check-package: $f is not installed"; exit 1; }
done
fotarel --version
fotarel-cli --version

$SUDO userdel -r "$user" >/dev/null 2>&1 || true
$SUDO useradd -m -s /bin/bash "$user"
# As the user: the demo album, then a project opened by the desktop program.
# The steps read no terminal: the script is a file (ffmpeg would eat a
# script given on standard input).
script="$(mktemp)"
cat > "$script" <<'AS_USER'
set -euo pipefail
cd ~
fotarel-cli demo ~/demo.mpg
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of default=nw=1:nk=1 ~/demo.mpg)
[ "${frames:-0}" -gt 100 ] || { echo "the demo album has ${frames:-no} frames"; exit 1; }
echo "demo album: $frames frames"
ffmpeg -v error -f lavfi -i "testsrc2=size=640x480:rate=1" -frames:v 1 ~/photo.jpg
fotarel-cli make --type VCD --save-project ~/album.fotarel ~/photo.jpg > /dev/null
# The desktop program, given the project, opens it under Xvfb.
xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
  fotarel ~/album.fotarel > ~/desktop.log 2>&1 &
  desktop=$!
  group=~/.local/share/Fotarel/smxcwjj/tp_wjj/tp_wjj/tp_wjj_1
  for _ in $(seq 300); do
    [ -d "$group" ] && break
    sleep 0.1
  done
  [ -d "$group" ] || { echo "fotarel did not open the project"; cat ~/desktop.log; exit 1; }
  kill -0 "$desktop" || { echo "fotarel ended"; cat ~/desktop.log; exit 1; }
  kill "$desktop"
  wait "$desktop" || true
'
leftover=$(find /tmp -maxdepth 1 -user "$(id -u)" -name 'fotarel-*' 2>/dev/null)
[ -z "$leftover" ] || { echo "working folders left in /tmp: $leftover"; exit 1; }
echo "desktop program opened the project"
AS_USER
chmod 644 "$script"
$SUDO runuser -l "$user" -c "bash $script" < /dev/null
echo "check-package: installed and ran as an ordinary user"
