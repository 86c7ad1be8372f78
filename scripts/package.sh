#!/usr/bin/env bash
# Builds the programs and the Debian package (build/zanmo_*.deb), then checks the package with
# lintian (installed when missing) and the AppStream metainfo with appstreamcli when present.
# Exits 1 when lintian reports an error or appstreamcli an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ZANMO_BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
gen=()
command -v ninja >/dev/null && [ ! -f "$build/CMakeCache.txt" ] && gen=(-G Ninja)
cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" --target zanmo zanmo-tool zanmo-menu zanmo_docs --parallel "$(nproc)"
(cd "$build" && rm -f zanmo_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/zanmo_*.deb)
echo "package: $deb"
if ! command -v lintian >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq lintian >/dev/null
fi
status=0
lintian --fail-on error --display-info "$deb" || status=1
if command -v appstreamcli >/dev/null; then
  report=$(appstreamcli validate --no-net "$root"/packaging/*.metainfo.xml || true)
  echo "$report"
  grep -q '^E:' <<<"$report" && status=1
fi
exit $status
