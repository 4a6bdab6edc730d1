#!/usr/bin/env bash
# wine-run.sh PROGRAM [ARGS]: runs one Windows program under Wine in the
# project's own prefix (build/wineprefix unless WINEPREFIX is set), never in
# ~/.wine. CTest uses it as the crosscompiling emulator; the scripts use it
# (or tools/wine-env.sh, which it sources) for every Wine call.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
. "$here/tools/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: no DISPLAY; run under xvfb-run (test.sh does)" >&2
fi
exec "$QOR_WINE" "$@"
