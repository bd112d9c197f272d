#!/usr/bin/env bash
# Builds KELPORA if needed and opens it on your catch book.
# The book is KELPORA.FDB in $KELPORA_DATA_DIR (default ~/.local/share/kelpora);
# an empty one is made there the first time, and an existing one is never touched.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELPORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$here/build/release" --target kelpora kelpora-initdb kelpora-bench-browser

data="${KELPORA_DATA_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/kelpora}"
mkdir -p "$data"
if [ ! -e "$data/KELPORA.FDB" ]; then
  "$here/build/release/tools/kelpora-initdb" "$data"
fi

# The application looks for its book in the current directory.
cd "$data"
exec "$here/build/release/src/kelpora" "$@"
