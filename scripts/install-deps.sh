#!/usr/bin/env bash
# Installs the Debian 12 packages KELPORA needs to build, run and test.
# Safe to run again: apt skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-server
  libjpeg62-turbo-dev libnova-dev
  fonts-ipafont-gothic
  googletest libgtest-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick
  desktop-file-utils appstream dpkg-dev file
  fcitx5
)

stop_and_disable_service() {
  local name=$1
  if [ -d /run/systemd/system ] && command -v systemctl >/dev/null; then
    systemctl stop "$name" || true
  elif command -v invoke-rc.d >/dev/null; then
    invoke-rc.d "$name" stop || true
  elif [ -x "/etc/init.d/$name" ]; then
    "/etc/init.d/$name" stop || true
  fi
  # Without a running systemd, systemctl still edits the links it and sysvinit read.
  if command -v systemctl >/dev/null; then
    systemctl disable "$name" 2>/dev/null || true
  fi
  if command -v update-rc.d >/dev/null && [ -x "/etc/init.d/$name" ]; then
    update-rc.d "$name" disable 2>/dev/null || true
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  # Run as yourself: only apt needs root, and it gets it through sudo. The build, the
  # book and the engine's lock folder then stay yours.
  apt=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "install-deps: sudo is not installed. As root, run once:" >&2
      echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
      echo "(or install sudo and add yourself to the sudo group), then run this again as yourself." >&2
      exit 1
    fi
    echo "install-deps: installing with sudo: ${missing[*]}" >&2
    apt=(sudo)
  fi
  "${apt[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${apt[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  # The tests start the server binary as a process of their own; the system service
  # that the package's install starts and enables is left stopped and disabled, so no
  # server keeps listening here. Had the package been there already, its service was
  # someone's choice and is not touched.
  if [[ " ${missing[*]} " == *" firebird3.0-server "* ]]; then
    stop_and_disable_service firebird3.0
  fi
fi
