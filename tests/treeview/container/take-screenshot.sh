#!/usr/bin/env bash
# take-screenshot.sh BUILD_DIR OUT.png [local|remote]
# Shows the control with a test holding its window open and saves the
# window's part of the screen as a PNG: local (the default), the control in
# the ATL host window; remote, the control in the test container with the
# tree that it loaded from OrraWebServer.exe.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
build=$(cd "$1" && pwd); out=$2; kind=${3:-local}
case $kind in
  local)  program=qorclient_tests.exe hold=8 wait=6 crop=368x308+0+0 ;;
  remote) program=qorwithserver_tests.exe hold=10 wait=9 crop=400x330+0+0 ;;
  *) echo "usage: take-screenshot.sh BUILD_DIR OUT.png [local|remote]" >&2; exit 2 ;;
esac
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$build" "$out" "$kind"
fi
. "$here/tools/wine-session.sh"
wine_session "$build"
QOR_HOLD_SECONDS=$hold "$QOR_WINE" "$build/bin/$program" >/dev/null 2>&1 </dev/null &
sleep "$wait"
"$here/tools/screenshot.sh" "$out.full.png"
wait
convert "$out.full.png" -crop "$crop" +repage "$out"
rm -f "$out.full.png"
