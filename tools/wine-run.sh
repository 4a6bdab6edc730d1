#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's own prefix.
# CTest uses it as the crosscompiling emulator; run.sh and the benchmarks
# use it too. The prefix lives in the build tree, never in ~/.wine.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: no DISPLAY; run under xvfb-run (test.sh does)" >&2
fi
exec wine "$@"
