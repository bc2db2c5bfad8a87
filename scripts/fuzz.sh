#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz build for FUZZ_SECONDS seconds each; stops at the first finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
build=${FUZZ_BUILD:-build/fuzz}
bin=$build/bin
shopt -s nullglob
targets=("$bin"/fuzz_*)
if ((${#targets[@]} == 0)); then echo "fuzz: no targets built"; exit 1; fi
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  seeds=fuzz/seeds/$name
  [[ -d $seeds ]] || seeds=""
  echo "fuzz: $name for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=$build/ "$corpus" $seeds 2>&1 |
    grep -E '^(comparing|#[0-9]+ *DONE|stat::number_of_executed_units|INFO: Running|==[0-9]+==ERROR|SUMMARY)' || true
  status=${PIPESTATUS[0]}
  if ((status != 0)); then echo "fuzz: $name found a problem (exit $status)"; exit 1; fi
done
echo "fuzz: all targets clean"
