#!/usr/bin/env bash
# Times trkdvn-cli against the replacement bus library with hyperfine and prints
# one row per command: mean run time, the library calls it made, and the time
# left for the program itself once the bare start-up (--help) is taken off.
# Usage: bash scripts/bench.sh [build folder]   (default: build)
set -euo pipefail

build=${1:-build}
cli="$(cd "$build/bin" && pwd)/trkdvn-cli"
[ -x "$cli" ] || { echo "Erst bauen: ninja -C $build trkdvn-cli" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "hyperfine fehlt: bash scripts/setup.sh" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TRAXBUS_SIM="$work/roster.json" HOME="$work"
unset TRAXBUS_TRACE QT_QPA_PLATFORM DISPLAY
"$cli" read --port 1 --model "TRK 520 PID" -o "$work/kessel.d20" >/dev/null

declare -A runs=(
  [help]="$cli --help"
  [show]="$cli show $work/kessel.d20"
  [identify]="$cli identify --port 1"
  [read]="$cli read --port 1 --model 'TRK 520 PID'"
  [program-verify]="$cli program $work/kessel.d20 --port 1 --verify"
)
order=(help show identify read program-verify)

for name in "${order[@]}"; do
  hyperfine --warmup 2 --runs 10 --style none --export-json "$work/$name.json" "${runs[$name]}" >/dev/null 2>&1
  # Library calls of one run, counted by the library's own trace.
  TRAXBUS_TRACE="$work/$name.trace" bash -c "${runs[$name]}" >/dev/null 2>&1 || true
done

python3 - "$work" "${order[@]}" <<'PY'
import json, os, sys
work, names = sys.argv[1], sys.argv[2:]
mean = {n: json.load(open(f"{work}/{n}.json"))["results"][0]["mean"] * 1000 for n in names}
calls = {n: sum(1 for _ in open(f"{work}/{n}.trace")) if os.path.exists(f"{work}/{n}.trace") else 0 for n in names}
start = mean["help"]
print(f"{'Befehl':<16}{'Mittel ms':>10}{'Aufrufe':>9}{'ohne Start ms':>15}{'je Aufruf ms':>14}")
for n in names:
    rest = mean[n] - start
    per = f"{rest / calls[n]:.3f}" if calls[n] else "-"
    print(f"{n:<16}{mean[n]:>10.1f}{calls[n]:>9}{rest:>15.1f}{per:>14}")
print("Start-up (--help) ist die Untergrenze jedes Befehls; 'je Aufruf' enthält Bibliothek und Programm.")
PY
