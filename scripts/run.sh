#!/usr/bin/env bash
# Builds the program and starts it with the simulated instruments of the replacement bus library.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Keine grafische Anzeige gefunden (DISPLAY ist nicht gesetzt)."
  echo "Ohne Bildschirm so starten:  xvfb-run -a bash scripts/run.sh"
  exit 1
fi
exec "$root/build/bin/trkdvn" "$@"
