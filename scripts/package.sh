#!/usr/bin/env bash
# Builds the Debian package build/trkdvn_<version>_<arch>.deb from the programs in build/
# (builds them first when needed; the tests are not part of it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh" package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Configured again so the package carries the current revision and installs below /usr.
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  "${launcher[@]}" >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target trkdvn trkdvn-cli TRAXB32E packaging_docs
rm -f "$root"/build/trkdvn_*.deb
(cd "$root/build" && cpack -G DEB >/dev/null)
ls "$root"/build/trkdvn_*.deb
