#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds the module, its
# programs and every test once, under AddressSanitizer and
# UndefinedBehaviorSanitizer with warnings as errors (./build-asan), and runs
# every test (offscreen windows), then the end-to-end tests and the clerk's
# road (driven by xdotool) in real windows under a virtual X server.
# KTRB_SANITIZE=0 builds and tests without the sanitizers in ./build instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/check-format.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# The tests need no benchmarks: `bash scripts/build.sh -DKTRB_BUILD_BENCH=ON`
# builds them (build/bench/bench_*).
if [ "${KTRB_SANITIZE:-1}" != 0 ]; then
  # One build for every test: the sanitizers find what the plain build's
  # tests would and more. Optimised a little and without debug information,
  # so that it stays quick.
  dir=build-asan
  echo "== configuring and building in ./$dir (AddressSanitizer, UndefinedBehaviorSanitizer)"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Sanitize \
        -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -g0" -DKTRB_SANITIZE=ON -DKTRB_WERROR=ON \
        -DKTRB_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
  cmake --build "$dir"
  export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
  dir=build
  bash scripts/build.sh -DKTRB_WERROR=ON -DKTRB_BUILD_BENCH=OFF
fi
echo "== running all tests (offscreen)"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 600 \
  -LE '^(e2e|clerk)$'
if command -v xvfb-run >/dev/null; then
  # The X keyboard library copies bounded strings that are not terminated,
  # which the strict string check takes for overflows.
  if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS/strict_string_checks=1:/}"
  fi
  echo "== running the end-to-end tests in real windows (xvfb-run, platform xcb)"
  xvfb-run -a env QT_QPA_PLATFORM=xcb \
    ctest --test-dir "$dir" --output-on-failure -L '^e2e$' --timeout 600
  echo "== running the clerk's road in real windows (xvfb-run, keys by xdotool)"
  xvfb-run -a -s "-screen 0 1600x1000x24" env QT_QPA_PLATFORM=xcb \
    ctest --test-dir "$dir" --output-on-failure -L '^clerk$' --timeout 600
else
  echo "== SKIPPED: the end-to-end tests in real windows need xvfb-run (Debian package xvfb)"
fi
