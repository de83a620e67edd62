#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (offscreen windows).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
echo "== running all tests"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 600
