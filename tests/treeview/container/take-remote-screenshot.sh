#!/usr/bin/env bash
# take-remote-screenshot.sh BUILD_DIR OUT.png
# Shows the control in the test container with the tree that it loaded from
# OrraWebServer.exe (the with-server test holding its window open) and
# saves the window's part of the screen as a PNG.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
build=$(cd "$1" && pwd); out=$2
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$build" "$out"
fi
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
"$here/tools/wine-prefix.sh"
exec 9>/tmp/qor-port80.lock
flock 9
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit >/dev/null 2>&1 </dev/null
QOR_HOLD_SECONDS=10 wine "$build/bin/qorwithserver_tests.exe" >/dev/null 2>&1 </dev/null &
sleep 9
"$here/tools/screenshot.sh" "$out.full.png"
wait
convert "$out.full.png" -crop 400x330+0+0 +repage "$out"
rm -f "$out.full.png"
