#!/usr/bin/env bash
# Builds and starts the web server under Wine, serving a folder, and the demo
# container showing that folder's tree.txt from the server.
# Usage: ./run.sh [web-root]      (default: examples/site)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# A relative web root is the caller's, not the project's.
root=$(cd "${1:-$here/examples/site}" && pwd) || { echo "run.sh: no such folder: $1" >&2; exit 1; }
cd "$here"
tools/setup-deps.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: running under Xvfb; a screenshot is saved to build/run-screenshot.png"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env QOR_HEADLESS=1 "$0" "$root"
fi
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target OrraWebServer QorTreeViewDemo
. tools/wine-session.sh
wine_session "$PWD/build"
# The web root is joined directly to each request path: it needs its
# trailing backslash.
winroot="$(qor_wine winepath -w "$root")\\"
echo "Serving $root as $winroot"
echo "Open http://127.0.0.1/ (port 80; a user who is not root needs: sysctl net.ipv4.ip_unprivileged_port_start=80)"
server='' demo=''
stop() {
  [ -n "$demo" ] && kill "$demo" 2>/dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null
  qor_wineserver -k 2>/dev/null || true
}
trap stop EXIT
trap 'exit 130' INT TERM
"$QOR_WINE" build/win64/bin/OrraWebServer.exe "$winroot" &
server=$!
# The demo reads its tree from the server: wait until it answers.
answered=0
for _ in $(seq 1 60); do
  curl -s -o /dev/null --max-time 2 http://127.0.0.1/ && { answered=1; break; }
  kill -0 $server 2>/dev/null || { echo "run.sh: the server stopped before answering" >&2; exit 1; }
  sleep 0.5
done
if [ $answered = 0 ]; then
  echo "run.sh: the server did not answer on http://127.0.0.1/ within 30 s (is port 80 taken by another program?)" >&2
  exit 1
fi
echo "Starting the demo container: QorTreeViewDemo.exe http://127.0.0.1 tree.txt 1"
"$QOR_WINE" build/win64/bin/QorTreeViewDemo.exe http://127.0.0.1 tree.txt 1 &
demo=$!
if [ -n "${QOR_HEADLESS:-}" ]; then
  sleep 5
  tools/screenshot.sh build/run-screenshot.png && echo "Screenshot: build/run-screenshot.png"
fi
echo "Close the server's window (or press Ctrl+C) to stop."
wait $server
