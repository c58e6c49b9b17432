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
# The program's own cost first: the default roster's wire time would hide it.
export TRAXBUS_WIRETIME=off
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

# A readout with the wire time on (the default roster's 4800 baud): the whole run, the time the
# library held the calls, the wire time its model gives for those calls, and the program's share.
unset TRAXBUS_WIRETIME
for i in 1 2 3; do
  rm -f "$work/wire.calls" "$work/wire.lib"
  start=$(date +%s%N)
  TRAXBUS_TRACE="$work/wire.lib" "$cli" read --port 1 --model 'TRK 520 PID' --trace "$work/wire.calls" >/dev/null
  end=$(date +%s%N)
  python3 - "$work" $(( (end - start) / 1000 )) <<'PY'
import json, sys
work, wall_us = sys.argv[1], int(sys.argv[2])
calls = [json.loads(l) for l in open(f"{work}/wire.calls")]
lib = [json.loads(l) for l in open(f"{work}/wire.lib")]
baud, byte_us = 4800, 10 * 1e6 / 4800
def wire(c):
    # The model of buslib/README.md ("Wire time").
    fn, st = c["fn"], c["status"]
    if fn not in ("TBTransmit", "TBTransmitString", "TBReadID", "GetMeasurement") or st in (-3, -12, -13):
        return 0
    out_b = back_b = 8
    if fn == "TBTransmitString":
        n = c["in"].get("length") or 0
        if c["in"]["command"] == 2: out_b += max(n, 0)
        elif st >= 0: back_b += c["out"].get("length") or 0
    return out_b * byte_us + 100000 if st == -2 else (out_b + back_b) * byte_us + 5000
modelled = sum(wire(c) for c in lib)
opened = next(c["atUs"] for c in calls if c["fn"] == "TBOpenCom")
closed = [c for c in calls if c["fn"] == "TBCloseCom"][-1]
span = closed["atUs"] + closed["tookUs"] - opened
held = sum(c["tookUs"] for c in calls if c["atUs"] >= opened)
print(f"Einlesen mit Leitungszeit: {len(lib)} Aufrufe, Prozess {wall_us/1000:.0f} ms, "
      f"Busablauf {span/1000:.1f} ms, davon Bibliothek {held/1000:.1f} ms, "
      f"Leitungszeit laut Modell {modelled/1000:.1f} ms, Programmanteil {100*(span-held)/span:.2f} %, "
      f"Bibliothek über Modell {100*(held-modelled)/span:.2f} %")
PY
done
