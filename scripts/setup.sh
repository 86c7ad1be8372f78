#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need. Quiet when all are there.
set -euo pipefail
# What building and running the program needs; with --tests also what the tests need (a
# PostgreSQL server among them: trying the screens needs none).
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6svg6
  sqlite3 fonts-ipafont-gothic fonts-ipafont-mincho
  qt6-translations-l10n libxlsxwriter-dev libqt6sql6-psql libpq-dev
  libsqlite3-dev qt6-charts-dev qt6-svg-dev
)
if [ "${1:-}" = --tests ]; then
  packages+=(poppler-utils xvfb xauth postgresql libminizip-dev)
fi
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
