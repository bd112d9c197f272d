#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for SECONDS, starting from its seeds in
# tests/fuzz/TARGET/. New inputs a run finds are kept in build/fuzz/corpus/TARGET/, so
# each run goes on from the last; an input that breaks something is left in
# build/fuzz/findings/ and the script fails.
#   scripts/fuzz.sh [SECONDS [TARGET...]]    (30 s each; csv_import stored_text bmp jpeg)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(csv_import stored_text bmp jpeg)
build="$here/build/fuzz"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_CXX_COMPILER=clang++ -DKELPORA_FUZZ=ON -DKELPORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target kelpora_fuzzers

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/findings"
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  echo "== fuzzing $t for $seconds s"
  log="$build/$t.log"
  if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t-" "$build/corpus/$t" "$here/tests/fuzz/$t" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz: $t found a fault; the input is in $build/findings/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
done
