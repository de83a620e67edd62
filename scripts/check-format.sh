#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it with the
# tree's .clang-format, and names the files (fix: clang-format -i <file>).
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== checking the formatting ($(clang-format --version))"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  list() { git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h'; }
else
  list() { find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0; }
fi
# Each difference is reported as "<file>:<line>:<col>: error: ...".
bad=$(list | xargs -0 -n 40 -P "$(nproc)" clang-format --dry-run --Werror 2>&1 >/dev/null |
        sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u || true)
if [ -n "$bad" ]; then
  echo "== not formatted (clang-format -i):"
  echo "$bad" | sed 's/^/   /'
  exit 1
fi
echo "== formatting is clean"
