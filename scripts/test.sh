#!/usr/bin/env bash
# Builds and runs every test from nothing: installs the packages, builds the
# program with warnings as errors and runs all tests, then builds the tests
# again with AddressSanitizer and UndefinedBehaviorSanitizer (clang) and runs
# them, together with a short run of every fuzz target.
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

echo "== sanitizer build (address, undefined) with fuzz targets"
CC=clang CXX=clang++ bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOTAREL_WERROR=ON \
  -DFOTAREL_SANITIZE=ON -DFOTAREL_FUZZ=ON -DFOTAREL_GUI=OFF -DFOTAREL_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
echo "== sanitizer tests and fuzzing"
(cd build-asan && ctest --output-on-failure -j "$jobs" --timeout 900)
