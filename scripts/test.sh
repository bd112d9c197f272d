#!/usr/bin/env bash
# Builds everything and runs every test headless against throw-away database files.
# KELPORA_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$here/scripts/install-deps.sh"

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
sanitize=OFF
dir="$here/build/test"
if [ "${KELPORA_SANITIZE:-0}" = "1" ]; then
  sanitize=ON
  dir="$here/build/asan"
  export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"
  # GCC 12's sanitizer runtime can take a dynamic TLS block of the Firebird engine for an
  # old glibc layout, and the leak check at exit then crashes ("Tracer caught signal 11")
  # depending on nothing more than the length of the working directory; not intercepting
  # __tls_get_addr avoids it.
  export ASAN_OPTIONS="intercept_tls_get_addr=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
fi

cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DKELPORA_WERROR=$werror -DKELPORA_SANITIZE=$sanitize >/dev/null
cmake --build "$dir"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure --timeout 600 -j2
