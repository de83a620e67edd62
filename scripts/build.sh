#!/usr/bin/env bash
# Configures and builds everything in ./build (Ninja, RelWithDebInfo).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
echo "== configuring and building in ./build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build
