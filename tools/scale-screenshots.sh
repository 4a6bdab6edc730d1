#!/usr/bin/env bash
# scale-screenshots.sh BUILD_DIR [OUT_DIR]: the server's window and the demo
# container at 100, 150 and 200 % scale (96, 144, 192 DPI), each scale in a
# Wine prefix of its own (BUILD_DIR/scale-DPI/wineprefix), serving
# examples/site. Saves server-DPI.png and demo-DPI.png in OUT_DIR
# (docs/images). Takes the port-80 lock for each
# scale. Runs under Xvfb when DISPLAY is unset.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: scale-screenshots.sh BUILD_DIR [OUT_DIR]}" && pwd)
out=$(mkdir -p "${2:-$here/docs/images}" && cd "${2:-$here/docs/images}" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1800x1300x24" "$0" "$build" "$out"
fi
bin=$build/bin
# shellcheck source=scale-prefix.sh
. "$here/tools/scale-prefix.sh"
source_prefix=${WINEPREFIX:-$build/wineprefix}

# shot NAME TITLE: saves the X window titled TITLE as OUT_DIR/NAME.png.
shot() {
  local id
  id=$(xwininfo -root -tree | awk -v t="\"$2\":" '$2 == t || index($0, t) { print $1; exit }')
  if [ -z "$id" ]; then
    echo "scale-screenshots.sh: no window titled $2" >&2
    return 1
  fi
  import -display "$DISPLAY" -window "$id" "$out/$1.png"
  echo "$out/$1.png"
}

for dpi in 96 144 192; do
  qor_scale_prefix "$source_prefix" "$build/scale-$dpi/wineprefix" "$dpi"
done
# One hold of the lock for the three scales, about a minute.
exec 9>>/tmp/qor-port80.lock
echo "Waiting for the port-80 lock ($(date +%T))"
flock -w 1800 9
for dpi in 96 144 192; do
  export WINEPREFIX=$build/scale-$dpi/wineprefix
  echo "Scale $dpi DPI ($(date +%T))"
  site="$(qor_wine winepath -w "$here/examples/site")\\"
  "$QOR_WINE" "$bin/OrraWebServer.exe" "$site" 9>&- &
  for _ in $(seq 60); do
    curl -s -o /dev/null --max-time 2 http://127.0.0.1/ && break
    sleep 0.5
  done
  sleep 2
  # Before the demo opens over it: a covered part would come out black.
  shot "server-$dpi" "Vesk Web Server"
  "$QOR_WINE" "$bin/QorTreeViewDemo.exe" http://127.0.0.1 tree.txt 1 9>&- &
  sleep 6
  shot "demo-$dpi" "QorTreeView demo container"
  qor_wineserver -k 2>/dev/null || true
  sleep 1
done
