#!/usr/bin/env bash
# run-under-wine.sh WRITER.exe OUT.tlb win32|win64 PREFIX
# Runs the type library writer at build time in a Wine prefix of its own
# (created on first use, without a display), with no pipe of the build left
# open by Wine's background processes. On failure it prints Wine's own
# output and what to try.
set -euo pipefail
tool=$1 out=$2 arch=$3
export WINEPREFIX=$4
# shellcheck source=../../../tools/wine-env.sh
. "$(dirname "$0")/../../../tools/wine-env.sh"
advice="check that Wine runs here: WINEPREFIX=$WINEPREFIX tools/wine-run.sh cmd /c ver (tools/setup-deps.sh installs it); remove $WINEPREFIX to start afresh"
if ! qor_make_prefix; then
  echo "run-under-wine.sh: Wine could not create the prefix $WINEPREFIX; $advice" >&2
  exit 1
fi
cd "$(dirname "$out")"
name=$(basename "$out")
rm -f "$name"
if ! qor_wine "$tool" "$name" "$arch" >"$name.log" 2>&1 </dev/null || [ ! -s "$name" ]; then
  cat "$name.log" >&2
  echo "run-under-wine.sh: the type library writer failed under Wine; $advice" >&2
  exit 1
fi
