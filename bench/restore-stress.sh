#!/usr/bin/env bash
# Restores one book over and over while other tools work beside it, and kills some of
# the restores: at each of their named steps, or by SIGKILL at a random moment. After
# every run the folder must hold the whole book; a restore that neither ends nor is
# stopped by its own stall watch within the time limit counts as a hang.
#
#   bench/restore-stress.sh [TOOLS_DIR] [RESTORES]
#
# TOOLS_DIR defaults to build/dev/tools, RESTORES to 200. Prints the counts at the end;
# exit status 1 when a record was lost or a restore hung.
set -uo pipefail

tools="$(readlink -f "${1:-build/dev/tools}")"
restores="${2:-200}"
limit=300
work="$(mktemp -d "${TMPDIR:-/tmp}/kelpora-stress.XXXXXX")"
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

mkdir -p "$work/book" "$work/other"
"$tools/kelpora-initdb" --demo 50 "$work/book" >/dev/null || exit 1
cp "$work/book/KELPORA.FDB" "$work/other/"
"$tools/kelpora-backup" "$work/book" >/dev/null || exit 1
backup="$(ls "$work"/book/backups/*.fbk | head -1)"
cp "$backup" "$backup.check" "$work/"
backup="$work/$(basename "$backup")"

records() {
  # The tools' own count: an export of the book reads every record and picture.
  rm -rf "$work/count"* 
  "$tools/kelpora-export" "$1" "$work/count.csv" 2>/dev/null | sed -n 's/^記録 \([0-9]*\) 件.*/\1/p'
}

# The other tools: backups, exports, new books and restores of a second book, and now
# and then a backup of the very book being restored.
others() {
  local n=0
  while :; do
    n=$((n + 1))
    "$tools/kelpora-backup" "$work/other" >/dev/null 2>&1
    rm -rf "$work/out$n"* && "$tools/kelpora-export" "$work/other" "$work/out$n.csv" >/dev/null 2>&1
    rm -rf "$work/out$n"*
    rm -rf "$work/new" && mkdir "$work/new" && "$tools/kelpora-initdb" "$work/new" >/dev/null 2>&1
    "$tools/kelpora-restore" "$backup" "$work/new" >/dev/null 2>&1
    [ $((n % 3)) -eq 0 ] && "$tools/kelpora-backup" "$work/book" >/dev/null 2>&1
    ls -d "$work"/other/backups/*.fbk 2>/dev/null | head -n -3 | while read -r f; do rm -f "$f" "$f.check"; done
  done
}
others &

steps=(restore-checked restore-replaced-named restore-swapped restore-closing)
ok=0 refused=0 killed=0 hung=0 stalled=0 failed=0 lost=0 missing=0
for i in $(seq 1 "$restores"); do
  fault=""
  case $((i % 4)) in
    1) fault="${steps[$(((i / 4) % ${#steps[@]}))]}" ;;
    2) fault="random" ;;
  esac
  if [ "$fault" = random ]; then
    timeout "$limit" "$tools/kelpora-restore" "$backup" "$work/book" >"$work/out" 2>&1 &
    pid=$!
    sleep "0.$((RANDOM % 10))$((RANDOM % 10))"
    pkill -KILL -P "$pid" 2>/dev/null
    wait "$pid"; rc=$?
  else
    KELPORA_FAULT_AT="$fault" timeout "$limit" "$tools/kelpora-restore" "$backup" "$work/book" >"$work/out" 2>&1
    rc=$?
  fi
  case $rc in
    0) ok=$((ok + 1)) ;;
    124) hung=$((hung + 1)); echo "restore $i hung" >&2 ;;
    137 | 128 | 9) killed=$((killed + 1)) ;;
    1) if grep -q '開いています' "$work/out"; then refused=$((refused + 1));
       elif grep -q '応答しない' "$work/out"; then stalled=$((stalled + 1)); cat "$work/out" >&2;
       else failed=$((failed + 1)); cat "$work/out" >&2; fi ;;
    *) killed=$((killed + 1)) ;;
  esac
  if [ ! -f "$work/book/KELPORA.FDB" ]; then
    missing=$((missing + 1)); lost=$((lost + 50)); echo "restore $i ($fault, $rc) left no book" >&2
    ls -la "$work/book" >&2
    cp "$work/other/KELPORA.FDB" "$work/book/KELPORA.FDB"
  else
    n="$(records "$work/book")"
    while [ -z "$n" ]; do sleep 0.2; n="$(records "$work/book")"; done # the other tools hold it
    [ "$n" -ne 50 ] && { lost=$((lost + 50 - n)); echo "restore $i ($fault, $rc) left $n records" >&2; }
  fi
  rm -f "$work"/book/KELPORA-replaced-*.FDB
done
leftovers="$(ls -d "$work"/book/.restore-* 2>/dev/null | wc -l)"
echo "restores $restores: ok $ok, killed $killed, refused (book in use) $refused, failed $failed," \
  "stalled $stalled, hung $hung; folders without a book $missing, records lost $lost, scratch folders left $leftovers"
[ "$lost" -eq 0 ] && [ "$hung" -eq 0 ]
