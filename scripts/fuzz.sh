#!/usr/bin/env bash
# Runs every fuzz target for a while with AddressSanitizer and
# UndefinedBehaviorSanitizer, one after the other, and prints one line per
# target: how many inputs ran, the coverage reached, the corpus size.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     default: 600 seconds each, all targets
#
# The targets are those the sanitizer build registers (build-asan/fuzz/targets/,
# written by fotarel_add_fuzzer), each with its seeds and dictionary. The
# corpus grows in build-asan/fuzz/corpus/TARGET and is kept between runs.
# An input that crashes, leaks, exceeds 2 GB or runs longer than 10 s is
# saved under fuzz/findings/TARGET/; the run log is in build-asan/fuzz/logs/.
# A timeout that does not happen again when the input runs on its own (a
# process starved of CPU) is kept as starved-* and the target goes on.
# The exit status is 1 when any target failed.
#
# FUZZ_BUILD names another build folder (default build-asan); FUZZ_JOBS=N
# runs N targets at once (default 1).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

seconds="${1:-600}"
shift || true
case "$seconds" in
  ''|0|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2; exit 2 ;;
esac
build="${FUZZ_BUILD:-build-asan}"

# The sanitizer build with the fuzz targets, as scripts/test.sh makes it.
if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOTAREL_WERROR=ON \
    -DFOTAREL_SANITIZE=ON -DFOTAREL_FUZZ=ON -DFOTAREL_GUI=OFF -DFOTAREL_BENCH=OFF "${launcher[@]}" >/dev/null
else
  cmake "$build" >/dev/null
fi

registry="$build/fuzz/targets"
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in "$registry"/*.target; do
    [ -e "$f" ] && targets+=("$(basename "$f" .target)")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz.sh: no fuzz target registered in $registry" >&2
  exit 1
fi
mkdir -p "$build/fuzz/logs"
if ! cmake --build "$build" --target "${targets[@]}" >"$build/fuzz/logs/build.log" 2>&1; then
  # A failed build would otherwise end the script without a word.
  grep -E "error|FAILED" "$build/fuzz/logs/build.log" | head -20 >&2
  echo "fuzz.sh: the sanitizer build failed; the whole log is $build/fuzz/logs/build.log" >&2
  exit 1
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:intercept_tls_get_addr=0}"
# Sanitizer frames of the interpreter are about five times their release size:
# the deepest script nesting the player allows needs more than 8 MB of stack.
ulimit -s 65536 2>/dev/null || ulimit -s "$(ulimit -Hs)" || true
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$build/fuzz/logs"

# Runs one target; prints its line and returns 1 when it failed.
run_target() {
  local name="$1" entry="$registry/$1.target"
  if [ ! -f "$entry" ]; then
    echo "$name: not a registered fuzz target"
    return 1
  fi
  local binary="" corpus="" dict="" seeds="" key value
  while IFS='=' read -r key value; do
    case "$key" in
      binary) binary="$value" ;;
      corpus) corpus="$value" ;;
      dict) dict="$value" ;;
      seeds) seeds="$value" ;;
    esac
  done <"$entry"
  local seed_dirs=()
  IFS=';' read -r -a seed_dirs <<<"$seeds"
  local args=(-rss_limit_mb=2048 -timeout=10 -print_final_stats=1)
  [ -n "$dict" ] && args+=(-dict="$dict")
  local findings="$here/fuzz/findings/$name"
  mkdir -p "$findings" "$corpus"
  args+=(-artifact_prefix="$findings/")
  local log="$build/fuzz/logs/$name.log" part="$build/fuzz/logs/$name.part.log"
  local start=$SECONDS status=0 left="$seconds" total=0 starved=0 n artifact
  : >"$log"
  # libFuzzer's timeout counts wall-clock time, so on a busy machine (or
  # under nice) a starved process can pass 10 s on a quick input. A timeout
  # counts only when the input, run again on its own, takes that long too;
  # otherwise the target goes on for the rest of its time.
  while true; do
    status=0
    "$binary" "${args[@]}" -max_total_time="$left" "$corpus" "${seed_dirs[@]}" >"$part" 2>&1 || status=$?
    cat "$part" >>"$log"
    n="$(sed -n 's/^stat::number_of_executed_units: *//p' "$part" | tail -n 1)"
    total=$((total + ${n:-0}))
    left=$((seconds - (SECONDS - start)))
    [ "$status" -ne 0 ] || break
    artifact="$(sed -n 's/.*Test unit written to \(.*timeout-.*\)$/\1/p' "$part" | tail -n 1)"
    [ -n "$artifact" ] || break
    if ! "$binary" -timeout=10 -rss_limit_mb=2048 "$artifact" >>"$log" 2>&1; then
      break # the input is slow on its own: a real finding
    fi
    starved=$((starved + 1))
    mv "$artifact" "${artifact/timeout-/starved-}"
    echo "== timeout not reproduced on its own; going on for $left s" >>"$log"
    status=0
    [ "$left" -gt 5 ] || break
  done
  mv "$part" "$part.last"
  local took=$((SECONDS - start))

  local execs rss last cov ft corp summary
  execs="$total"
  rss="$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | sort -n | tail -n 1)"
  last="$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)"
  cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
  ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
  corp="$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")"
  summary="$(printf '%-26s %4d s  %10s runs  cov %6s  ft %7s  corpus %6s  rss %5s MB' \
    "$name" "$took" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "${rss:-?}")"
  # Keep the findings folder only when it holds something.
  rmdir "$findings" 2>/dev/null || true
  if [ "$starved" -gt 0 ]; then
    summary="$summary  ($starved timeouts of a starved process, not reproduced)"
  fi
  if [ "$status" -eq 0 ]; then
    rm -f "$part.last"
    echo "$summary  clean"
    return 0
  fi
  local why
  artifact="$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)"
  why="$(grep -oE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer): [a-zA-Z0-9 -]+|runtime error: .*' "$part.last" | head -n 1 || true)"
  rm -f "$part.last"
  echo "$summary  FAILED: ${why:-exit status $status}; input ${artifact:-not saved}; log $log"
  return 1
}

# FUZZ_JOBS targets run at once (default 1); each still gets SECONDS.
jobs="${FUZZ_JOBS:-1}"
echo "fuzzing ${#targets[@]} targets for $seconds s each, $jobs at a time"
failed=0
running=0
for name in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run_target "$name" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
rmdir "$here/fuzz/findings" 2>/dev/null || true
exit "$failed"
