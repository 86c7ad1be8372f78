#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need. Quiet when all are there.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6svg6
  sqlite3 fonts-ipafont-gothic fonts-ipafont-mincho
  qt6-translations-l10n poppler-utils xvfb xauth
  libxlsxwriter-dev libqt6sql6-psql libpq-dev postgresql zlib1g-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
