#!/usr/bin/env bash
# Installs the Debian packages Tovo needs to build, test and run. Idempotent:
# nothing is installed when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev libqscintilla2-qt6-dev libgl1-mesa-dev
  libssl-dev openssl
  libbenchmark-dev
  libxlsxwriter-dev python3-openpyxl
  clang lld
  xvfb xauth imagemagick xdotool
  fonts-dejavu-core
  dpkg-dev file lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
