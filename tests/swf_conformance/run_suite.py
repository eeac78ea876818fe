#!/usr/bin/env python3
"""Runs the SWF conformance cases (movies with trace output and pictures
recorded from the Flash Player) through swfrun and swfrender and prints the
pass rate by area.

  run_suite.py --bin BUILD/bin [--suite DIR] [--only SUBSTR] [--verbose]
               [--passing FILE [--only-listed]] [--write-passing FILE] [--jobs N]

--passing FILE is the ratchet: every case listed there must still pass (the
exit status is 1 otherwise); cases that pass but are not listed are named so
the list can grow. --write-passing writes the list of passing cases.

Case layout: avm1/NAME/{test.swf,test.toml,output.txt[,input.json]} and
visual/AREA/NAME/{test.swf,test.toml,*.expected.png}.
"""
import argparse
import concurrent.futures
import json
import os
import re
import subprocess
import sys
import tomllib

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

# Areas of the script cases, by the first keyword of the case name that
# matches; the order puts specific areas before general ones.
SCRIPT_AREAS = [
    ("text", r"edittext|textfield|text_format|create_text_field|textsnapshot|gettextsnapshot|device_font|font"),
    ("unsupported", r"file_reference|netconnection|netstream|xml_socket|localconnection|external_interface|"
                    r"sound|printjob|sandbox|amf_|context_menu|bitmap_data|bitmapdata|stylesheet"),
    ("input", r"button|key|mouse|focus|tab_ordering|drag|selection|root_button"),
    ("loading", r"load|mcl_|geturl|form_loader|get_bytes|export_assets"),
    ("xml", r"xml"),
    ("movieclip", r"movieclip|clip|depth|hittest|stage|display_object|attach|duplicate|create_empty|"
                  r"lockroot|mask|bounds|place|nan_scale|matrix|color|frame_size|drawing|gradient|"
                  r"access_unnamed|default_names|conflicting|removed|unload|remove"),
    ("paths", r"tell_target|target|with|path|this|register|slash|scope|set_variable|define_local|global|"
              r"eval|set_target|resolve"),
    ("timeline", r"goto|execution_order|frame|looping|do_init|waitforframe|on_construct|clip_events|"
                 r"init_action|interval|timeout"),
    ("prototypes", r"proto|super|constructor|instanceof|class|as_set_prop|add_property|watch|extends|"
                   r"native|asnew|function|broadcaster|has_own|object|boxed|coerce|asset"),
    ("operators", r"add|equals|less|greater|bit|logical|swf4|swf5|swf6|swf7|strictly|typeof|parse_int|"
                  r"is_finite|math|coercion|string_relational"),
]


def script_area(name):
    for area, pattern in SCRIPT_AREAS:
        if re.search(pattern, name):
            return area
    return "other"


def find_suite(explicit):
    candidates = [explicit] if explicit else []
    candidates += [os.environ.get("FOTAREL_SWF_SUITE", ""),
                   os.path.join(REPO, "..", "shared", "swf-suite"),
                   os.path.join(REPO, "..", "..", "shared", "swf-suite")]
    for c in candidates:
        if c and os.path.isdir(os.path.join(c, "avm1")):
            return os.path.abspath(c)
    return None


NUMBER = re.compile(r"-?(?:\d+\.?\d*(?:e[+-]?\d+)?|Infinity|NaN)")


def same_output(actual, expected, approx):
    actual = actual.replace("\r\n", "\n").rstrip("\n")
    expected = expected.replace("\r\n", "\n").rstrip("\n")
    if actual == expected:
        return True
    if not approx:
        return False
    eps = float(approx.get("epsilon", 0.0))
    a_lines, e_lines = actual.split("\n"), expected.split("\n")
    if len(a_lines) != len(e_lines):
        return False
    for a, e in zip(a_lines, e_lines):
        if a == e:
            continue
        if NUMBER.sub("#", a) != NUMBER.sub("#", e):
            return False
        for x, y in zip(NUMBER.findall(a), NUMBER.findall(e)):
            if x == y:
                continue
            try:
                fx, fy = float(x), float(y)
            except ValueError:
                return False
            if abs(fx - fy) > eps * max(1.0, abs(fy)):
                return False
    return True


def load_toml(path):
    """The case settings; [player_options] and [[compilers]] of the suite's own runner are
    dropped when this Python's TOML reader cannot read them."""
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    try:
        return tomllib.loads(text)
    except tomllib.TOMLDecodeError:
        kept, skip = [], False
        for line in text.splitlines():
            if line.startswith("["):
                skip = line.strip() in ("[player_options]", "[[compilers]]")
            if not skip:
                kept.append(line)
        return tomllib.loads("\n".join(kept))


def frames_of(toml):
    return int(toml.get("num_frames", toml.get("num_ticks", 1)))


def run_script_case(bins, case_dir, timeout):
    toml = load_toml(os.path.join(case_dir, "test.toml"))
    cmd = [os.path.join(bins, "swfrun"), os.path.join(case_dir, "test.swf"), "--frames", str(frames_of(toml))]
    if os.path.exists(os.path.join(case_dir, "input.json")):
        cmd += ["--input", os.path.join(case_dir, "input.json")]
    viewport = toml.get("player_options", {}).get("viewport_dimensions") or {}
    if viewport.get("scale_factor"):
        cmd += ["--mouse-scale", str(viewport["scale_factor"])]
    try:
        out = subprocess.run(cmd, capture_output=True, timeout=timeout, cwd=case_dir)
    except subprocess.TimeoutExpired:
        return False, "timeout"
    if out.returncode not in (0, 1):
        return False, "exit %d" % out.returncode
    with open(os.path.join(case_dir, "output.txt"), encoding="utf-8", errors="replace") as f:
        expected = f.read()
    actual = out.stdout.decode("utf-8", errors="replace")
    if same_output(actual, expected, toml.get("approximations")):
        return True, ""
    a, e = actual.splitlines(), expected.splitlines()
    for i in range(max(len(a), len(e))):
        x = a[i] if i < len(a) else "<end>"
        y = e[i] if i < len(e) else "<end>"
        if x != y:
            return False, "line %d: got %r, want %r" % (i + 1, x[:80], y[:80])
    return False, "differs"


def run_visual_case(bins, case_dir, timeout):
    """Returns one result per image comparison of the case."""
    toml = load_toml(os.path.join(case_dir, "test.toml"))
    comparisons = toml.get("image_comparisons", {})
    frames = frames_of(toml)
    # The player quality the pictures were recorded at (low: no antialiasing).
    renderer = toml.get("player_options", {}).get("with_renderer", {})
    quality = renderer.get("quality", "high") if isinstance(renderer, dict) else "high"
    # The player's window size when it is not the stage's (the stage is
    # scaled to fit it).
    viewport = toml.get("player_options", {}).get("viewport_dimensions")
    options = ["--size", str(viewport["width"]), str(viewport["height"])] if viewport else []
    # Recorded input: the events up to the Nth "Wait" are shown in the picture after N ticks.
    if os.path.exists(os.path.join(case_dir, "input.json")):
        options += ["--input", os.path.join(case_dir, "input.json")]
        if viewport and viewport.get("scale_factor"):
            options += ["--mouse-scale", str(viewport["scale_factor"])]
    results = []
    for name, comparison in comparisons.items():
        expected = os.path.join(case_dir, name + ".expected.png")
        if not os.path.exists(expected):
            expected = os.path.join(case_dir, "expected.png")
        ticks = frames
        trigger = comparison.get("trigger", "last_frame")
        if isinstance(trigger, int):
            ticks = trigger  # the picture after that many ticks
        elif trigger != "last_frame":
            results.append((name, False, "trigger %s not supported" % trigger))
            continue
        cmd = [os.path.join(bins, "swfrender"), os.path.join(case_dir, "test.swf"), "-",
               "--ticks", str(ticks), "--quality", quality] + options + ["--compare", expected,
               "--tolerance", str(comparison.get("tolerance", 0)),
               "--max-outliers", str(comparison.get("max_outliers", 0))]
        checks = comparison.get("checks")
        if checks:
            # Several (tolerance, outliers) tests, all of which must hold;
            # the first stands in for the single one.
            cmd[-4:] = ["--tolerance", str(checks[0].get("tolerance", 0)),
                        "--max-outliers", str(checks[0].get("max_outliers", 0))]
            for c in checks[1:]:
                cmd += ["--check", str(c.get("tolerance", 0)), str(c.get("max_outliers", 0))]
        try:
            out = subprocess.run(cmd, capture_output=True, timeout=timeout, cwd=case_dir)
        except subprocess.TimeoutExpired:
            results.append((name, False, "timeout"))
            continue
        text = out.stdout.decode("utf-8", errors="replace").strip()
        results.append((name, out.returncode == 0, text.splitlines()[-1] if text else "exit %d" % out.returncode))
    return results


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", required=True, help="folder with swfrun and swfrender")
    ap.add_argument("--suite")
    ap.add_argument("--only", default="")
    ap.add_argument("--verbose", action="store_true")
    ap.add_argument("--passing")
    ap.add_argument("--write-passing")
    ap.add_argument("--only-listed", action="store_true", help="run only the cases --passing lists")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--timeout", type=float, default=60)
    args = ap.parse_args()

    args.bin = os.path.abspath(args.bin)
    suite = find_suite(args.suite)
    if not suite:
        print("conformance suite not found (give --suite or FOTAREL_SWF_SUITE); skipped")
        return 77
    tasks = []
    for name in sorted(os.listdir(os.path.join(suite, "avm1"))):
        key = "avm1/" + name
        if args.only in key:
            tasks.append(("script", script_area(name), key, os.path.join(suite, "avm1", name)))
    for area in sorted(os.listdir(os.path.join(suite, "visual"))):
        area_dir = os.path.join(suite, "visual", area)
        for root, dirs, files in os.walk(area_dir):
            dirs.sort()
            if "test.toml" in files:
                key = "visual/" + os.path.relpath(root, os.path.join(suite, "visual"))
                if args.only in key:
                    tasks.append(("render", area, key, root))

    if args.only_listed and args.passing:
        with open(args.passing) as f:
            wanted = {l.strip().split(":")[0] for l in f if l.strip() and not l.startswith("#")}
        tasks = [t for t in tasks if t[2] in wanted]

    def run(task):
        try:
            return run_one(task)
        except OSError as e:
            return [(task[0], task[1], task[2], False, str(e))]

    def run_one(task):
        kind, area, key, case_dir = task
        if kind == "script":
            ok, why = run_script_case(args.bin, case_dir, args.timeout)
            return [(kind, area, key, ok, why)]
        return [(kind, area, key + ":" + n, ok, why)
                for n, ok, why in run_visual_case(args.bin, case_dir, args.timeout)]

    results = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        for rows in pool.map(run, tasks):
            results.extend(rows)

    by_area = {}
    for kind, area, key, ok, why in results:
        t = by_area.setdefault((kind, area), [0, 0])
        t[1] += 1
        t[0] += ok
        if args.verbose:
            print("%s %s %s" % ("PASS" if ok else "FAIL", key, why))
    for kind in ("script", "render"):
        rows = [(a, t) for (k, a), t in sorted(by_area.items()) if k == kind]
        if not rows:
            continue
        passed = sum(t[0] for _, t in rows)
        total = sum(t[1] for _, t in rows)
        print("%s cases: %d of %d pass (%.0f %%)" % (kind, passed, total, 100.0 * passed / max(1, total)))
        if kind == "render":
            ssim = sorted(float(m.group(1)) for _, _, _, _, why in results
                          for m in [re.search(r"SSIM ([0-9.]+)", why)] if m)
            if ssim:
                print("  SSIM: median %.3f, %d of %d comparisons at 0.95 or more"
                      % (ssim[len(ssim) // 2], sum(1 for s in ssim if s >= 0.95), len(ssim)))
        for area, (p, n) in rows:
            print("  %-12s %3d / %3d" % (area, p, n))

    passing = sorted(key for _, _, key, ok, _ in results if ok)
    if args.write_passing:
        with open(args.write_passing, "w") as f:
            f.write("".join(k + "\n" for k in passing))
    status = 0
    if args.passing:
        with open(args.passing) as f:
            listed = [l.strip() for l in f if l.strip() and not l.startswith("#")]
        ran = {key for _, _, key, _, _ in results}
        now = set(passing)
        lost = [k for k in listed if k in ran and k not in now]
        gained = [k for k in passing if k not in listed]
        for k in lost:
            why = next(w for _, _, key, _, w in results if key == k)
            print("NO LONGER PASSES: %s (%s)" % (k, why))
        if gained:
            print("passes now, not yet in %s: %s" % (os.path.basename(args.passing), " ".join(gained)))
        status = 1 if lost else 0
    return status


if __name__ == "__main__":
    sys.exit(main())
