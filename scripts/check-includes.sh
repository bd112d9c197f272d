#!/usr/bin/env bash
# Includes run one way: each folder may include only the folders below it. Fails, naming
# the file and line, when one reaches a folder it must not.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

# folder: the folders it may include besides itself ("*" for any)
allowed='
core:
imaging: core
bookcare: core imaging
kit: core imaging
tide: core imaging kit
pictures: core imaging kit
analysis: core imaging kit
browser: core imaging kit tide pictures analysis
entry: core imaging kit tide pictures analysis
maintenance: core imaging kit bookcare
app: core imaging bookcare kit tide pictures analysis browser entry maintenance
tools: core imaging bookcare
bench: *
'

grep -rHn --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src tools bench |
  awk -v allowed="$allowed" '
    BEGIN {
      n = split(allowed, lines, "\n")
      for (i = 1; i <= n; i++) {
        if (lines[i] == "") continue
        folder = lines[i]; sub(/:.*/, "", folder)
        rest = lines[i]; sub(/^[^:]*:/, "", rest)
        known[folder] = 1
        m = split(rest, tos, " ")
        for (j = 1; j <= m; j++) may[folder, tos[j]] = 1
      }
    }
    {
      split($0, parts, ":"); file = parts[1]; line = parts[2]
      split(file, path, "/")
      from = (path[1] == "src") ? path[2] : path[1]
      included = $0; sub(/^[^"]*"/, "", included); sub(/".*/, "", included)
      to = (included ~ /\//) ? substr(included, 1, index(included, "/") - 1) : from
      if (!(from in known)) {
        printf "%s:%s: folder %s is not in the layout\n", file, line, from; bad = 1; next
      }
      if (to == from || may[from, "*"] || may[from, to]) next
      printf "%s:%s: %s must not include %s (\"%s\")\n", file, line, from, to, included
      bad = 1
    }
    END { exit bad }'
echo "includes: every folder includes only the folders it may"
