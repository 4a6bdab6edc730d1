#!/usr/bin/env bash
# run-under-wine.sh WRITER.exe QorTreeView.ocx OUT.wxs x64|x86 PREFIX
# Runs the registry fragment writer at build time in the Wine prefix of the
# type library writer (created on first use, without a display), with no
# pipe of the build left open by Wine's background processes. On failure it
# prints Wine's own output and what to try.
set -euo pipefail
tool=$1 ocx=$2 out=$3 arch=$4
export WINEPREFIX=$5
# shellcheck source=../tools/wine-env.sh
. "$(dirname "$0")/../tools/wine-env.sh"
advice="check that Wine runs here: WINEPREFIX=$WINEPREFIX tools/wine-run.sh cmd /c ver (tools/setup-deps.sh installs it); remove $WINEPREFIX to start afresh"
if ! qor_make_prefix; then
  echo "run-under-wine.sh: Wine could not create the prefix $WINEPREFIX; $advice" >&2
  exit 1
fi
# Relative names: Wine reads them from the folder it starts in.
cd "$(dirname "$out")"
name=$(basename "$out")
rm -f "$name"
if ! qor_wine "$tool" "$(realpath --relative-to=. "$ocx")" "$name" "$arch" >"$name.log" 2>&1 </dev/null ||
   [ ! -s "$name" ]; then
  cat "$name.log" >&2
  echo "run-under-wine.sh: the registry fragment writer failed under Wine; $advice" >&2
  exit 1
fi
