#!/usr/bin/env bash
# fotarel-cli plan: one JSON entry per photo and slot; automatic crops keep a
# face pasted at the photo's bottom-right corner, --crop top-left cuts from
# the corner; make --template fixes a group's template and refuses one that
# does not fit; an old project (no crop rule saved) keeps top-left crops.
# usage: plan_crops.sh FOTAREL_CLI DATA_FOLDER
set -euo pipefail
source "$(dirname "$0")/private_program.sh" "$1"
data="$2"
# 4:3 photos with the head in the bottom-right corner (a 16:9 full frame or
# a portrait slot cuts them), and one plain 3:2 photo.
for i in 1 2 3; do
  ffmpeg -v error -y -i "$data/rocket.jpg" -i "$data/astronaut_head.jpg" -filter_complex \
    "[0]scale=1600:1200,hue=h=$((i * 40))[bg];[1]scale=305:336[head];[bg][head]overlay=1295:864" \
    -frames:v 1 "$work/face$i.jpg"
done
ffmpeg -v error -y -i "$data/coffee.jpg" -vf scale=1500:1000 -frames:v 1 "$work/cup.jpg"
photos=("$work"/face1.jpg "$work"/cup.jpg "$work"/face2.jpg "$work"/face3.jpg)

"$cli" plan --seed 4 --json "${photos[@]}" > "$work/auto.json"
"$cli" plan --seed 4 --json --crop top-left "${photos[@]}" > "$work/corner.json"
python3 - "$work/auto.json" "$work/corner.json" "${photos[@]}" <<'PY'
import json, sys
auto = json.load(open(sys.argv[1]))
corner = json.load(open(sys.argv[2]))
files = sys.argv[3:]
sizes = {f: ((1500, 1000) if f.endswith("cup.jpg") else (1600, 1200)) for f in files}
head = (1295, 864, 305, 336)
def kept(crop):
    x, y, w, h = crop
    ix = max(0, min(x + w, head[0] + head[2]) - max(x, head[0]))
    iy = max(0, min(y + h, head[1] + head[3]) - max(y, head[1]))
    return ix * iy / (head[2] * head[3])
assert list(auto) == ["photos"], auto
assert [e["file"] for e in auto["photos"]] == files, auto
for plan, name in ((auto, "auto"), (corner, "top-left")):
    for e in plan["photos"]:
        assert set(e) == {"file", "group", "template", "slot", "crop"}, e
        assert isinstance(e["group"], int) and e["group"] >= 1, e
        assert isinstance(e["template"], str) and e["template"], e
        sw, sh = e["slot"]
        x, y, w, h = e["crop"]
        pw, ph = sizes[e["file"]]
        assert 0 <= x and 0 <= y and x + w <= pw and y + h <= ph, (name, e)
        # The crop has the slot's shape unless the whole photo shows.
        if w < pw and h < ph:
            assert abs(w / h - sw / sh) < 0.02, (name, e)
        if "face" in e["file"]:
            if name == "auto":
                assert kept(e["crop"]) >= 0.9, ("auto crop lost the face", e)
            else:
                assert (x, y) == (0, 0), ("top-left crop not at the corner", e)
# Same seed, same groups and templates whatever the crop rule.
assert [(e["group"], e["template"]) for e in auto["photos"]] == \
       [(e["group"], e["template"]) for e in corner["photos"]]
print("plan: %d entries" % len(auto["photos"]))
PY

# Text output names the columns.
"$cli" plan --seed 4 "${photos[@]}" | head -1 | grep -q "模板" || { echo "no plain plan header"; exit 1; }
if "$cli" plan --crop middle "${photos[@]}" > /dev/null 2> "$work/err"; then echo "--crop middle accepted"; exit 1; fi
grep -q "未知的剪裁方式 middle" "$work/err" || { cat "$work/err"; exit 1; }

# make --template: a single landscape photo takes the named template.
"$cli" make --seed 1 --template 1=h1_03_push_pan --save-project "$work/fixed.fotarel" "$work/face1.jpg" > /dev/null 2>&1
grep -q 'h1_03_push_pan' "$work/fixed.fotarel" || { echo "--template not used"; exit 1; }
if "$cli" make --template 1=s1_01_portrait_drift --save-project "$work/bad.fotarel" "$work/face1.jpg" \
   > /dev/null 2> "$work/err"; then
  echo "a portrait template was accepted for a landscape photo"; exit 1
fi
grep -q "s1_01_portrait_drift" "$work/err" || { cat "$work/err"; exit 1; }
[ ! -e "$work/bad.fotarel" ] || { echo "a refused --template saved a project"; exit 1; }

# The rule is saved with the project; a project without it is an old one
# and keeps its top-left crops.
"$cli" make --seed 2 --save-project "$work/new.fotarel" "$work/face1.jpg" > /dev/null 2>&1
grep -q '"TForm17.suiCheckBox_zuoshangjiao_jiancai": "False"' "$work/new.fotarel" || { echo "rule not saved"; exit 1; }
grep -v 'suiCheckBox_zuoshangjiao_jiancai' "$work/new.fotarel" > "$work/old.fotarel"
"$cli" make --project "$work/old.fotarel" --save-project "$work/reopened.fotarel" > /dev/null 2>&1
grep -q '"TForm17.suiCheckBox_zuoshangjiao_jiancai": "True"' "$work/reopened.fotarel" || { echo "old project not top-left"; exit 1; }
grep -q '"0,0,' "$work/reopened.fotarel" || { echo "old project's crop not at the corner"; exit 1; }
echo "plan and crop options: ok"
