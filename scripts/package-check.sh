#!/usr/bin/env bash
# CI, after the tests: builds the Debian package from build/, checks it, installs it, runs
# the installed programs the way a user would, removes it and checks nothing of it is left.
# Needs root (it installs and removes the package).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
started=$SECONDS
fail() { echo "package-check: $*" >&2; exit 1; }

bash scripts/package.sh
deb=$(ls "$root"/build/trkdvn_*.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
lintian --fail-on error --info "$deb"
desktop-file-validate packaging/de.halvora.trkdvn.desktop
appstreamcli validate --no-net packaging/de.halvora.trkdvn.metainfo.xml

DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg -L trkdvn >"$work/files"

# A fresh user far from the build tree.
export HOME="$work/home" TRAXBUS_SIM="$work/roster.json"
unset XDG_CONFIG_HOME XDG_DOCUMENTS_DIR TRAXBUS_TRACE DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME"
cd "$work"
trkdvn --version
trkdvn-cli --version
trkdvn --help | grep -q "^Aufruf: trkdvn" || fail "trkdvn --help"
[ "$(command -v trkdvn-cli)" = /usr/bin/trkdvn-cli ] || fail "trkdvn-cli is not the installed one"
# The completion is made from the option table: it must at least be valid bash and know the commands.
completion=/usr/share/bash-completion/completions/trkdvn-cli
bash -n "$completion" || fail "bash completion does not parse"
grep -q "set-address" "$completion" || fail "bash completion lacks the commands"
if command -v man >/dev/null; then
  man -l /usr/share/man/man1/trkdvn-cli.1.gz 2>&1 >/dev/null | grep . && fail "man page has warnings"
fi

# The packaged library, from its private folder.
LD_DEBUG=files trkdvn-cli ports 2>"$work/ld.txt" | tee "$work/ports.txt"
grep -q 'file=/usr/lib/[^ ]*/trkdvn/TRAXB32E.so' "$work/ld.txt" || fail "library not loaded from the private folder"
grep -q COM1 "$work/ports.txt" || fail "no ports listed"
trkdvn-cli read --port 1 -o kessel.d20 --comment "Paketprüfung"
trkdvn-cli show kessel.d20 2>/dev/null | head -3

# The window, offscreen: on a fresh account it writes its settings and asks for the port.
rc=0
QT_QPA_PLATFORM=offscreen timeout 8 trkdvn || rc=$?
[ $rc -eq 124 ] || fail "the window did not keep running (exit $rc)"
ini="$HOME/.config/Halvora/Trk_Dvn_Konfigurationsprogramm.ini"
cat "$ini"
configs="$HOME/Documents/TRK-DVN/Konfigurationen"
grep -qx "Config1Path=$configs" "$ini" || fail "d20 folder is not the per-user one"
grep -qx "Manual=/usr/share/trkdvn/Manual" "$ini" || fail "manual folder is not the packaged one"
[ -d "$configs" ] || fail "per-user d20 folder not made"
[ -f /usr/share/trkdvn/Manual/OEM_Anleitung.html ] || fail "manual missing"
# A save through the window's handler and settings lands in the folder the window chose.
trkdvn-cli read --use-settings --port 1 -o "$configs/kessel1.d20" >/dev/null
[ -s "$configs/kessel1.d20" ] || fail "d20 save did not reach the per-user folder"

DEBIAN_FRONTEND=noninteractive apt-get remove -y trkdvn >/dev/null
left=0
while read -r path; do
  [ -e "$path" ] || continue
  # Shared folders such as /usr/bin stay; everything of the package's own must go.
  if [ -d "$path" ] && [[ "$path" != *trkdvn* ]]; then continue; fi
  echo "left after remove: $path" >&2
  left=1
done <"$work/files"
[ $left -eq 0 ] || fail "the package left files behind"
echo "package-check: ok in $((SECONDS - started)) s"
