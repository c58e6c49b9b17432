#!/usr/bin/env bash
# Installs what the build needs on a Debian machine; does nothing when all is there.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev nlohmann-json3-dev
          xvfb xauth fonts-dejavu-core qt6-translations-l10n
          clang libclang-rt-14-dev libfuzzer-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installiere: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
