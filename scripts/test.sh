#!/usr/bin/env bash
# Builds and runs every test from nothing: installs the packages, builds the
# program with warnings as errors and runs all tests, packages that build as
# a Debian package (lintian checks it) and installs it, making a demo album
# as an ordinary user and starting the desktop program; then builds the tests
# again with AddressSanitizer and UndefinedBehaviorSanitizer (clang) and runs
# them, together with a short run of every fuzz target, and builds the
# threaded tests (render, engine, media) with ThreadSanitizer and runs them.
#
#   scripts/test.sh            everything
#   scripts/test.sh --quick    the main build's tests only
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

bash scripts/install-deps.sh

jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

echo "== build (warnings are errors)"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release -DFOTAREL_WERROR=ON
echo "== tests"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 600)

if [ "${1:-}" = "--quick" ]; then
  exit 0
fi

echo "== Debian package (lintian, install, run as an ordinary user)"
package_dir="$(mktemp -d)"
(cd "$package_dir" && bash "$here/scripts/package.sh" "$here/build")
bash scripts/check-package.sh "$package_dir"/fotarel_*.deb
rm -rf "$package_dir"

echo "== sanitizer build (address, undefined) with fuzz targets"
CC=clang CXX=clang++ bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOTAREL_WERROR=ON \
  -DFOTAREL_SANITIZE=ON -DFOTAREL_FUZZ=ON -DFOTAREL_GUI=OFF -DFOTAREL_BENCH=OFF
# intercept_tls_get_addr=0: the sanitizer runtime of clang 14 takes a dynamic
# TLS block that happens to start 16 bytes past a page boundary for an old
# glibc (before 2.25) header and hands LeakSanitizer a bogus range; its tracer
# then crashes at exit after the tests pass. With the interceptor off, dynamic
# TLS of loaded plugins is not scanned, which can only add leak reports.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The sanitizers make the script interpreter's frames about five times their
# release size (the action dispatch alone takes about 25 KB a call), so the
# deepest nesting the player allows (256 script calls, under 1 MB in release)
# needs more than the default 8 MB stack in these builds.
ulimit -s 65536 2>/dev/null || ulimit -s "$(ulimit -Hs)" || true
echo "== sanitizer tests and fuzzing"
(cd build-asan && ctest --output-on-failure -j "$jobs" --timeout 900)

echo "== thread sanitizer build of the threaded tests (render, engine, media)"
tsan_targets=(render_settings_tests render_pass_tests render_command_tests engine_tests media_tests)
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOTAREL_WERROR=ON \
  -DFOTAREL_TSAN=ON -DFOTAREL_GUI=OFF -DFOTAREL_BENCH=OFF >/dev/null
cmake --build build-tsan --parallel "$jobs" --target "${tsan_targets[@]}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$here/scripts/tsan.supp"
echo "== thread sanitizer tests"
for t in "${tsan_targets[@]}"; do
  echo "-- $t"
  build-tsan/bin/"$t" --gtest_brief=1
done
