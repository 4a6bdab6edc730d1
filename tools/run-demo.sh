#!/usr/bin/env bash
# run-demo.sh BUILD_DIR WEB_ROOT: what ./run.sh starts once it has built:
# OrraWebServer.exe serving WEB_ROOT and the demo container showing its
# tree.txt, from BUILD_DIR/win64/bin, in the Wine session of
# BUILD_DIR/wineprefix. Without a DISPLAY it runs under Xvfb and saves a
# screenshot to BUILD_DIR/run-screenshot.png. Closing the server's window,
# Ctrl+C, SIGTERM and SIGHUP all stop the server, the demo and the Wine
# server.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: run-demo.sh BUILD_DIR WEB_ROOT}" && pwd)
root=$(cd "${2:?usage: run-demo.sh BUILD_DIR WEB_ROOT}" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: running under Xvfb; a screenshot is saved to $build/run-screenshot.png"
  # A signal reaches this launcher, not the run inside xvfb-run, and
  # xvfb-run passes none on. So the run gets a process group of its own
  # (set -m), which the launcher signals on its way out and waits for; and
  # the run stops by itself once the launcher is gone (QOR_LAUNCHER).
  set -m
  QOR_HEADLESS=1 QOR_LAUNCHER=$$ xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$root" </dev/null &
  run=$!
  set +m
  # Everything in it but xvfb-run, which then ends Xvfb and its files.
  trap 'kill -TERM $(pgrep -g "$run" | grep -vx "$run") 2>/dev/null || true' INT TERM HUP
  status=0
  wait "$run" || status=$?
  for _ in $(seq 150); do
    kill -0 -- "-$run" 2>/dev/null || break
    sleep 0.2
  done
  exit "$status"
fi

. "$here/tools/wine-session.sh"
wine_session "$build"
# The web root is joined directly to each request path: it needs its
# trailing backslash.
winroot="$(qor_wine winepath -w "$root")\\"
echo "Serving $root as $winroot"
echo "Open http://127.0.0.1/ (port 80; a user who is not root needs: sysctl net.ipv4.ip_unprivileged_port_start=80)"
server='' demo=''
# Whether a program this script started still runs: the shell's own job
# table knows, where a number alone may have been reused by now.
running() { [ -n "$1" ] && [[ $'\n'$(jobs -rp)$'\n' == *$'\n'"$1"$'\n'* ]]; }
stop() {
  trap '' INT TERM HUP
  if running "$demo"; then kill "$demo" 2>/dev/null || true; fi
  if running "$server"; then kill "$server" 2>/dev/null || true; fi
  qor_end_wine
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
# Only this script holds the port-80 lock (fd 9): it ends the programs.
"$QOR_WINE" "$build/win64/bin/OrraWebServer.exe" "$winroot" 9>&- &
server=$!
# The demo reads its tree from the server: wait until it answers.
answered=0 started=$SECONDS
while [ $((SECONDS - started)) -lt 30 ]; do
  curl -s -o /dev/null --max-time 2 http://127.0.0.1/ && { answered=1; break; }
  running "$server" || { echo "run.sh: the server stopped before answering" >&2; exit 1; }
  [ $((SECONDS - started)) != 2 ] || echo "Waiting for the server to answer on http://127.0.0.1/ (at most 30 s)"
  sleep 0.5
done
if [ $answered = 0 ]; then
  echo "run.sh: the server did not answer on http://127.0.0.1/ within 30 s (is port 80 taken by another program?)" >&2
  exit 1
fi
echo "Starting the demo container: QorTreeViewDemo.exe http://127.0.0.1 tree.txt 1"
"$QOR_WINE" "$build/win64/bin/QorTreeViewDemo.exe" http://127.0.0.1 tree.txt 1 9>&- &
demo=$!
if [ -n "${QOR_HEADLESS:-}" ]; then
  sleep 5
  "$here/tools/screenshot.sh" "$build/run-screenshot.png" && echo "Screenshot: $build/run-screenshot.png"
fi
echo "Close the server's window (or press Ctrl+C) to stop."
while running "$server"; do
  if [ -n "${QOR_LAUNCHER:-}" ] && ! kill -0 "$QOR_LAUNCHER" 2>/dev/null; then
    echo "run.sh: the launcher has gone: stopping"
    break
  fi
  sleep 1
done
