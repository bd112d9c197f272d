#!/usr/bin/env bash
# Builds everything and runs every test headless against throw-away database files.
#   KELPORA_SANITIZE=1   only the AddressSanitizer + UndefinedBehaviorSanitizer build
#   CI=true              warnings are errors, and after the plain run the whole suite runs
#                        again under the sanitizers, then each fuzzer for 30 s (scripts/fuzz.sh)
# Each run also starts every test program once whole with its tests shuffled, since one
# process per test (as ctest runs them) would hide a test that needs another's leftovers.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$here/scripts/install-deps.sh"

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
export QT_QPA_PLATFORM=offscreen

run_suite() { # build dir, sanitize ON/OFF
  local dir="$1" sanitize="$2"
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DKELPORA_WERROR=$werror -DKELPORA_SANITIZE="$sanitize" >/dev/null
  cmake --build "$dir"
  ctest --test-dir "$dir" --output-on-failure --timeout 600 -j2
  echo "== each test program once whole, shuffled"
  find "$dir/tests" -type f -perm -u+x \( -name 'test_*' -o -name '*_tests' \) | sort | while read -r t; do
    "$t" --gtest_shuffle --gtest_brief=1 \
      || { echo "shuffled run failed: $t" >&2; exit 1; }
  done
}

if [ "${KELPORA_SANITIZE:-0}" = "1" ] || [ "${CI:-}" = "true" ]; then
  export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # GCC 12's sanitizer runtime can take a dynamic TLS block of the Firebird engine for an
  # old glibc layout, and the leak check at exit then crashes ("Tracer caught signal 11")
  # depending on nothing more than the length of the working directory; not intercepting
  # __tls_get_addr avoids it.
  export ASAN_OPTIONS="intercept_tls_get_addr=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
fi
if [ "${KELPORA_SANITIZE:-0}" != "1" ]; then
  run_suite "$here/build/test" OFF
fi
if [ "${KELPORA_SANITIZE:-0}" = "1" ] || [ "${CI:-}" = "true" ]; then
  echo "== the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer"
  run_suite "$here/build/asan" ON
fi
if [ "${CI:-}" = "true" ]; then
  echo "== each fuzzer for 30 s under AddressSanitizer and UndefinedBehaviorSanitizer"
  "$here/scripts/fuzz.sh" 30
fi
