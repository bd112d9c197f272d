#!/usr/bin/env bash
# Builds KELPORA if needed and starts it through its launcher (scripts/kelpora-launch,
# the same script that is installed as bin/kelpora): the book is KELPORA.FDB in
# $KELPORA_DATA_DIR (default ~/.local/share/kelpora), made empty the first time, and a
# checked backup is made after the application closes when the book changed.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELPORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$here/build/release" --target kelpora kelpora-initdb kelpora-backup kelpora-restore \
  kelpora-export kelpora-import kelpora-almanac kelpora-bench-browser kelpora-bench-backup kelpora-bench-analysis

export KELPORA_APP="$here/build/release/src/kelpora"
export KELPORA_TOOLS_DIR="$here/build/release/tools"
exec "$here/scripts/kelpora-launch" "$@"
