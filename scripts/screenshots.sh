#!/usr/bin/env bash
# Makes the README screenshots of the main windows -- main menu, record browser, entry
# window, tide chart editor, photo viewer and each tab of the analysis -- into
# docs/screenshots/. It builds the release binaries if needed, makes a demo book in a
# temporary folder, runs the real application on it under Xvfb, opens each window by
# clicking its button with xdotool and saves each window with ImageMagick's import. Run
# it again when the windows change.
#
# The click positions are the centres of the buttons as the windows lay them out; they
# are fixed in the code (src/app/Main_F.cpp, src/browser/Fishdata_F.cpp,
# src/tide/New_Shio_In_F.cpp, src/pictures/Photo_Big_F.cpp, src/entry/Fish_Data_IN.cpp,
# src/analysis/Bunseki_F.cpp).
set -euo pipefail
# xdotool matches the Japanese window titles only under a UTF-8 locale, and Qt warns
# without one; C.UTF-8 is on every Debian system whatever the user has set.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
release="$here/build/release"
out="$here/docs/screenshots"

# --- inside Xvfb -------------------------------------------------------------------

say() { echo "screenshots: $*" >&2; }

# The id of the visible window with exactly this title (and this client size, when
# given), once it is there.
wait_window() {
  local title="$1" width="${2:-}" height="${3:-}" id WIDTH HEIGHT
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(WIDTH|HEIGHT)=')"
      if [ -z "$width" ] || { [ "$WIDTH" = "$width" ] && [ "$HEIGHT" = "$height" ]; }; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.2
  done
  say "the window \"$title\" ${width:+($width x $height) }did not open"
  return 1
}

wait_gone() {
  local shown
  for _ in $(seq 100); do
    shown="$(xdotool search --onlyvisible --name '.' 2>/dev/null || true)"
    grep -qx "$1" <<<"$shown" || return 0
    sleep 0.2
  done
  say "window $1 did not close"
  return 1
}

width_of() {
  local WIDTH
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^WIDTH=')"
  echo "$WIDTH"
}

# A left click at (x, y) inside the window.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.5
}

# The window alone, once its pictures are decoded and painted; 256 colours keep the
# files small (the demo photos' grain would make a full-colour PNG several times larger).
snap() {
  sleep 2
  import -window "$1" -dither None -colors 256 -define png:compression-level=9 "PNG8:$out/$2.png"
  say "$out/$2.png"
}

# Each tab of the analysis window, opened from the browser over all its records. The tab
# centres are where the tab bar lays out their titles in the Japanese font.
shoot_analysis() {
  local analysis x name
  click "$1" 726 466 # 分析
  analysis="$(wait_window "釣果分析" 920 660)"
  for tab in "31 month" "79 year" "127 tide" "198 places" "285 sizes" "361 bests"; do
    read -r x name <<<"$tab"
    click "$analysis" "$x" 60
    snap "$analysis" "analysis-$name"
  done
  click "$analysis" 853 24 # 閉じる
  wait_gone "$analysis"
}

shoot() {
  local book="$1" menu browser tide photo entry
  cd "$book"
  "$release/src/kelpora" &
  local app=$!

  menu="$(wait_window "釣果記録" 395 270)"
  snap "$menu" main-menu
  click "$menu" 197 82 # ＤＡＴＡ　表示

  browser="$(wait_window "釣果記録" 947 670)"
  # From the last record, 40, back to 20: a chart, a map and three photos.
  click "$browser" 424 22 # －　１０
  click "$browser" 424 22
  snap "$browser" browser

  click "$browser" 726 288 # 潮位 (編集・入力)
  tide="$(wait_window "潮位 New")"
  snap "$tide" tide-chart-editor
  # 戻　る keeps its distance from the right edge of a window widened for the chart.
  click "$tide" $(($(width_of "$tide") - 684 + 524 + 76)) 32
  wait_gone "$tide"

  click "$browser" 726 330 # 写真入力
  photo="$(wait_window "拡大写真　ダブルクリックすると拡大します" 955 683)"
  snap "$photo" photo-viewer
  click "$photo" 890 33 # 戻　る
  wait_gone "$photo"
  shoot_analysis "$browser"
  click "$browser" 893 22 # 戻　る
  wait_gone "$browser"

  click "$menu" 106 158 # ＤＡＴＡ　入力
  entry="$(wait_window "釣果記録" 956 683)"
  snap "$entry" entry
  click "$entry" 898 22 # 戻　る
  wait_gone "$entry"

  click "$menu" 326 243 # 閉じる
  for _ in $(seq 50); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$app" 2>/dev/null; then
    say "the application did not close"
    kill "$app"
    return 1
  fi
  wait "$app"
}

if [ "${1:-}" = --inside-xvfb ]; then
  shoot "$2"
  exit
fi

# --- outside -----------------------------------------------------------------------

"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELPORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$release" --target kelpora kelpora-initdb

book="$(mktemp -d)"
trap 'rm -rf "$book"' EXIT
"$release/tools/kelpora-initdb" --demo 40 "$book" >/dev/null
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" "$here/scripts/screenshots.sh" --inside-xvfb "$book"
