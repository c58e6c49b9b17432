#!/usr/bin/env bash
# Reliability gates, run by CI after scripts/test.sh: the whole test suite built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer (leak detection on), then every fuzz target for
# FUZZ_SECONDS (default 60) over its seed corpus. Any finding fails the run; a fuzz finding is
# printed with its input as hex.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tree="$root/build-sanitize"
fuzz_seconds="${FUZZ_SECONDS:-60}"
bash "$root/scripts/setup.sh" reliability

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# CI builds this tree from nothing: -O1 keeps the sanitizers fast, line tables keep their reports
# readable, and full debug information would only cost compile time.
CC=clang CXX=clang++ cmake -S "$root" -B "$tree" -G Ninja -DTRK_SANITIZE=ON -DCMAKE_BUILD_TYPE= \
  -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" "${launcher[@]}" >/dev/null
started=$SECONDS
cmake --build "$tree" -j"$(nproc)"
echo "== Sanitizer build (clang): $((SECONDS - started)) s"

# Scratch files of the tests and fuzzers on a memory file system when there is one: the
# fuzzers write several files per input.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm="${TMPDIR:-/tmp}"
work="$(mktemp -d "$shm/trk-reliability.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tmp"
export TMPDIR="$work/tmp"
export QT_QPA_PLATFORM=offscreen LC_ALL=C LANG=C
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1"
# The fault sweep covers every call position in the plain suite; here every third is enough to
# put each kind of failure path under the sanitizers, and keeps this run within its time.
export TRK_FAULT_SWEEP_STRIDE=3
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

echo "== Test suite under ASan + UBSan"
started=$SECONDS
suite=0
(cd "$tree" && ctest --output-on-failure -j"$(nproc)" --timeout 600) >"$work/ctest.log" 2>&1 || suite=$?
if [ "$suite" -ne 0 ]; then
  cat "$work/ctest.log"
else
  grep -E "tests passed|Total Test time" "$work/ctest.log"
fi
echo "== Test suite under ASan + UBSan: $((SECONDS - started)) s"

failed=$suite
for target in d20 roster settings; do
  corpus="$work/corpus-$target" # inputs found in this run stay out of the repository
  mkdir -p "$corpus"
  log="$work/fuzz-$target.log"
  result=0
  "$tree/bin/fuzz_$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$work/$target-" "$corpus" "$root/tests/fuzz/corpus/$target" \
    >"$log" 2>&1 || result=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  if [ "$result" -eq 0 ]; then
    echo "== fuzz_$target: ${runs:-?} executions in ${fuzz_seconds} s, no finding"
  else
    failed=1
    echo "== fuzz_$target: FINDING after ${runs:-?} executions (exit $result)"
    tail -n 80 "$log"
    for input in "$work/$target-"*; do
      [ -e "$input" ] || continue
      echo "-- input $(basename "$input") ($(stat -c %s "$input") bytes) as hex:"
      od -An -tx1 -v "$input"
    done
  fi
done
exit "$failed"
