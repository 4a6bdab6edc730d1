#!/usr/bin/env bash
# dev-ctest.sh BUILD_DIR [ctest args...]
# Runs CTest for one build tree with its own Wine prefix and wineserver
# (BUILD_DIR/wineprefix), under Xvfb when there is no display. Several
# developers can use it side by side; runs are serialised on one lock since
# the server's tests bind port 80.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: dev-ctest.sh BUILD_DIR [ctest args]}" && pwd); shift
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$@"
fi
. "$here/tools/wine-session.sh"
wine_session "$build"
ctest --test-dir "$build" --output-on-failure "$@"
