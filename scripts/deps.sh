#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, only those that are missing.
set -euo pipefail
PKGS=(g++ cmake ninja-build pkg-config git
      qt6-base-dev libgl-dev libpugixml-dev libsqlite3-dev sqlite3
      libgtest-dev libgmock-dev libbenchmark-dev fonts-wqy-microhei
      python3-xlrd clang-format xvfb xauth xdotool)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing missing packages: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "== all build packages present"
fi
