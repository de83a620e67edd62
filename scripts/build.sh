#!/usr/bin/env bash
# Configures and builds in ./build (Ninja, RelWithDebInfo). Arguments go to
# CMake's configure step; KTRB_TARGETS (space-separated) builds only those
# targets instead of everything.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
echo "== configuring and building in ./build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
targets=()
for t in ${KTRB_TARGETS:-}; do
  targets+=(--target "$t")
done
cmake --build build "${targets[@]}"
