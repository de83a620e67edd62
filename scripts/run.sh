#!/usr/bin/env bash
# Installs what is missing, builds, and opens the subcontract receipt form on the
# embedded demo database through the host program. With a display the form opens
# in a window; with none the host program walks the short road by script (query,
# add a receipt from a work order, save, confirm) offscreen and saves a picture of
# each step. Arguments go to the host program (--server HOST:PORT, --ui 950, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what the main job runs: the host program, the module library and the
# application server (scripts/test.sh builds the tests and the rest).
KTRB_TARGETS="ktrb52 ktrb52c appserver" bash scripts/build.sh
extra=()
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  shots="$PWD/build/road-walk"
  rm -rf "$shots"
  echo "== no display found: walking the short road offscreen (set DISPLAY to see the window)"
  echo "== pictures of each step go to $shots"
  export QT_QPA_PLATFORM=offscreen
  extra=(--walk "$shots")
fi
exec build/programs/ktrb52/ktrb52 "${extra[@]}" "$@"
