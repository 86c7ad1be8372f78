#!/usr/bin/env bash
# Takes a screenshot of every window on a 1366x768 X screen (Xvfb with openbox, as a laptop has
# it) at each scale factor, to look at: screens 1-5, the goods lookup, the category list, a box
# and the help window (previews are checked by the desktop test). Needs a built tree
# (scripts/build.sh) and xvfb, openbox, imagemagick, xdotool.
# scripts/screenshots.sh OUTDIR [scale ...]     (default scales: 1 1.25 1.5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="${ZANMO_BUILD_DIR:-$root/build}/bin"
out=$(realpath -m "${1:?usage: scripts/screenshots.sh OUTDIR [scale ...]}")
shift
scales=("$@")
[ ${#scales[@]} -eq 0 ] && scales=(1 1.25 1.5)
for tool in Xvfb openbox import xdotool; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cp "$bin/zanmo" "$work/"
"$bin/zanmo-tool" init --demo "$work" >/dev/null
export XDG_CONFIG_HOME="$work/config" # no remembered places
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
sleep 1
export DISPLAY=$display
openbox >/dev/null 2>&1 &
sleep 1
mkdir -p "$out"

# shot NAME SCALE SCREEN [KEYS...]: starts the screen, sends the keys (xdotool key names; "wait"
# pauses), takes the shot, ends the program.
shot() {
  local name=$1 scale=$2 screen=$3
  shift 3
  (cd "$work" && QT_SCALE_FACTOR=$scale exec ./zanmo "$screen" >/dev/null 2>&1) &
  local pid=$!
  sleep 2.5
  for k in "$@"; do
    if [ "$k" = wait ]; then sleep 1.5; else xdotool key --clearmodifiers "$k"; sleep 0.3; fi
  done
  sleep 1
  import -window root "$out/$name@$scale.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

for s in "${scales[@]}"; do
  for n in 1 2 3 4 5; do shot "screen$n" "$s" "$n"; done
  shot goods-lookup "$s" 1 F4 wait
  shot category-list "$s" 1 shift+Tab F4 wait
  shot ledger-lookup "$s" 3 F4 wait
  shot message-box "$s" 5 shift+Tab shift+Tab space wait
  shot help "$s" 3 F1 wait
done
echo "screenshots in $out"
