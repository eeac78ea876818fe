#!/usr/bin/env bash
# A panorama and a tall photo each pan across a pan template: while their
# templates play, no frame is more than 10 % black.
# usage: panorama_album.sh FOTAREL_CLI DATA_FOLDER
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
data="$2"
ffmpeg -v error -y -i "$data/coffee.jpg" -vf scale=1200:900 -frames:v 1 "$work/a.jpg"
ffmpeg -v error -y -i "$data/rocket.jpg" -vf scale=3600:600 -frames:v 1 "$work/b_wide.jpg"
ffmpeg -v error -y -i "$data/rocket.jpg" -vf scale=700:2400 -frames:v 1 "$work/c_tall.jpg"
photos=("$work/a.jpg" "$work/b_wide.jpg" "$work/c_tall.jpg")
"$cli" plan --seed 3 --json "${photos[@]}" > "$work/plan.json"
"$cli" templates > "$work/templates.txt"
"$cli" make --seed 3 --type JPG --size 320x176 -o "$work/frames" "${photos[@]}" > /dev/null 2>&1
python3 - "$work/plan.json" "$work/templates.txt" "$work/frames" <<'PY'
import json, os, subprocess, sys
plan = json.load(open(sys.argv[1]))["photos"]
frames_of = {}
for line in open(sys.argv[2], encoding="utf-8"):
    cells = line.rstrip("\n").split("\t")
    if len(cells) >= 10 and cells[6].isdigit():
        frames_of[cells[9]] = int(cells[6])
names = [e["template"] for e in plan]
assert names[1].startswith("pw_"), names
assert names[2].startswith("pt_"), names
files = sorted(os.listdir(sys.argv[3]))
# Every frame as 80 x 44 grey pixels, decoded in one go.
w, h = 80, 44
pattern = os.path.join(sys.argv[3], "%0" + str(len(files[0]) - 4) + "d" + files[0][-4:])
raw = subprocess.run(["ffmpeg", "-v", "error", "-start_number", files[0][:-4], "-i", pattern, "-vf",
                      "scale=%d:%d,format=gray" % (w, h), "-f", "rawvideo", "-"], capture_output=True).stdout
frames = [raw[i:i + w * h] for i in range(0, len(raw), w * h)]
assert len(frames) == len(files), (len(frames), len(files))
# The album: a black first frame, then the groups in order.
start = 1
for index, name in enumerate(names):
    count = frames_of[name]
    if index > 0:
        # From the end of the fade from the carry-over picture to the end.
        for f in range(start + 30, start + count - 1):
            black = sum(1 for b in frames[f] if b < 12) / (w * h)
            assert black <= 0.10, "frame %d (%s) is %.0f %% black" % (f, name, black * 100)
    start += count
print("pan templates: %s, %s" % (names[1], names[2]))
PY
