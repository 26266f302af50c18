#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, but only those
# that are missing, so a machine that has them all is left untouched.
set -euo pipefail

packages=(
  cmake g++ make pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-qpa-plugins libgl-dev libxcb1-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libbenchmark-dev
  xvfb xauth xdotool dbus-x11 at-spi2-core python3-pyatspi desktop-file-utils
  fonts-liberation fonts-ipafont-gothic
  librsvg2-bin dpkg-dev file lintian appstream
  weston qt6-wayland
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run this script as root, or install them with apt-get." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
