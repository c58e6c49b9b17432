#!/usr/bin/env bash
# Times trkdvn-cli against the replacement bus library with hyperfine and prints
# one row per command: mean run time, the library calls it made, and the time
# left for the program itself once the bare start-up (--help) is taken off.
# A second table sets each command's wall time against its CPU time and counts
# the fdatasync calls it made (strace -c -f): a command that only looks at a file
# or an instrument syncs nothing, and waits for nothing but the processor.
# Usage: bash scripts/bench.sh [build folder]   (default: build)
set -euo pipefail

build=${1:-build}
cli="$(cd "$build/bin" && pwd)/trkdvn-cli"
[ -x "$cli" ] || { echo "Erst bauen: ninja -C $build trkdvn-cli" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "hyperfine fehlt: bash scripts/setup.sh" >&2; exit 2; }
command -v strace >/dev/null || { echo "strace fehlt: bash scripts/setup.sh bench" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp"
export TRAXBUS_SIM="$work/roster.json" HOME="$work" TMPDIR="$work/tmp"
unset TRAXBUS_TRACE QT_QPA_PLATFORM DISPLAY
# The program's own cost first: the default roster's wire time would hide it.
export TRAXBUS_WIRETIME=off
"$cli" read --port 1 --model "TRK 520 PID" -o "$work/kessel.d20" >/dev/null
"$cli" read --port 7 --model "TRK 520 PID STA1" -o "$work/ofen.d20" >/dev/null

declare -A runs=(
  [help]="$cli --help"
  [show]="$cli show $work/kessel.d20"
  [identify]="$cli identify --port 1"
  [diff]="$cli diff $work/kessel.d20 $work/ofen.d20"
  [read]="$cli read --port 1 --model 'TRK 520 PID'"
  [program-verify]="$cli program $work/kessel.d20 --port 1 --verify"
)
order=(help show identify diff read program-verify)

for name in "${order[@]}"; do
  # diff ends with 4 when the two differ.
  hyperfine -N --warmup 2 --runs 10 --style none -i --export-json "$work/$name.json" "${runs[$name]}" >/dev/null 2>&1
  # Library calls of one run, counted by the library's own trace.
  TRAXBUS_TRACE="$work/$name.trace" bash -c "${runs[$name]}" >/dev/null 2>&1 || true
  # System calls of one run, the program's and its children's.
  strace -f -c -o "$work/$name.strace" bash -c "${runs[$name]}" >/dev/null 2>&1 || true
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
print()

def syscalls(name):
    counts = {}
    for line in open(f"{work}/{name}.strace"):
        cols = line.split()
        # % time, seconds, usecs/call, calls, [errors,] syscall
        if len(cols) >= 5 and cols[3].isdigit():
            counts[cols[-1]] = int(cols[3])
    return counts

print(f"{'Befehl':<16}{'Wand ms':>9}{'CPU ms':>8}{'Wand/CPU':>10}{'fdatasync':>11}{'fsync':>7}{'rename':>8}")
for n in names:
    r = json.load(open(f"{work}/{n}.json"))["results"][0]
    cpu = (r["user"] + r["system"]) * 1000
    sc = syscalls(n)
    ratio = f"{mean[n] / cpu:.1f}" if cpu > 0 else "-"
    print(f"{n:<16}{mean[n]:>9.1f}{cpu:>8.1f}{ratio:>10}{sc.get('fdatasync', 0):>11}{sc.get('fsync', 0):>7}"
          f"{sc.get('rename', 0):>8}")
print("Ziel: show, identify und diff ohne fdatasync; Wand höchstens 2 × CPU (auf einer ruhigen Maschine).")
left = os.listdir(f"{work}/tmp")
print(f"Im temporären Ordner liegen geblieben: {len(left)} Dateien" + (f" ({', '.join(left[:5])})" if left else ""))
PY

# A readout and a full scan of the line on port 10 with the wire time on (the default roster's
# 4800 baud): the whole run, the time the library held the calls, the wire time its model gives
# for those calls, and the program's share (the scan's must stay under 1 %).
unset TRAXBUS_WIRETIME
wire_share() {
  local label=$1; shift
  rm -f "$work/wire.calls" "$work/wire.lib"
  local start end
  start=$(date +%s%N)
  TRAXBUS_TRACE="$work/wire.lib" "$cli" "$@" --trace "$work/wire.calls" >/dev/null
  end=$(date +%s%N)
  python3 - "$work" $(( (end - start) / 1000 )) "$label" <<'PY'
import json, sys
work, wall_us, label = sys.argv[1], int(sys.argv[2]), sys.argv[3]
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
print(f"{label} mit Leitungszeit: {len(lib)} Aufrufe, Prozess {wall_us/1000:.0f} ms, "
      f"Busablauf {span/1000:.1f} ms, davon Bibliothek {held/1000:.1f} ms, "
      f"Leitungszeit laut Modell {modelled/1000:.1f} ms, Programmanteil {100*(span-held)/span:.2f} %, "
      f"Bibliothek über Modell {100*(held-modelled)/span:.2f} %")
PY
}
for i in 1 2 3; do
  wire_share Einlesen read --port 1 --model 'TRK 520 PID'
done
wire_share "Bus durchsuchen (Port 10, 0 bis 239)" scan --port 10
echo "Ziel: Programmanteil beim Durchsuchen unter 1 % der Leitungszeit."

# The instrument record: 10,000 entries for 500 instruments, each written as the program writes
# one, then opened as the archive window opens it (the list and one instrument's history).
echo
echo "Gerätearchiv (10.000 Einträge, 500 Geräte):"
(cd "$build" && ./bin/test_record --gtest_also_run_disabled_tests --gtest_filter='RecordBench.*' \
   | grep -E '^(Eintrag|Archiv)')
echo "Ziel: ein Eintrag unter 5 ms, das Archiv offen unter 200 ms."

# The archive window over the same amount: from its menu item to the dialog's first paint.
echo
echo "Archivfenster (10.000 Einträge, 500 Geräte):"
(cd "$build" && QT_QPA_PLATFORM=offscreen ./bin/test_ui --gtest_also_run_disabled_tests \
   --gtest_filter='ArchiveBench.*' | grep -E '^Archivfenster')
echo "Ziel: das Archivfenster offen unter 200 ms."

# The live value window over the replacement library: the poll rate at the fastest interval
# with the wire time on (at least 90 % of what the line allows, the window answering meanwhile),
# the processor's share at one poll a second (under 2 % of one core), and the memory over a day
# of polls at 0.2 s on a compressed clock (flat).
echo
echo "Messwertfenster:"
(cd "$build" && QT_QPA_PLATFORM=offscreen ./bin/test_ui --gtest_also_run_disabled_tests \
   --gtest_filter='LiveValueFigures.DISABLED_RatesAndMemory' | grep -E '^Messwert')
echo "Ziel: mindestens 90 % der Leitungsrate, unter 2 % Prozessor bei 1 s, Speicher über 24 h flach."
