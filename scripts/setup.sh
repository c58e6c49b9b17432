#!/usr/bin/env bash
# Installs what the build needs on a Debian machine; does nothing when all is there.
# `setup.sh package` adds the tools that build and check the Debian package, `setup.sh reliability`
# the clang runtimes of the sanitizer and fuzz build, `setup.sh bench` what scripts/bench.sh counts with.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev nlohmann-json3-dev
          xvfb xauth fonts-dejavu-core fonts-liberation2 qt6-translations-l10n hyperfine
          poppler-utils libqt6sql6-sqlite qt6-charts-dev
          libqt6opengl6-dev)
case "${1:-}" in
  package) packages+=(dpkg-dev file lintian desktop-file-utils appstream) ;;
  reliability) packages+=(clang libclang-rt-14-dev libfuzzer-14-dev) ;;
  bench) packages+=(strace) ;;
esac
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
