#!/bin/sh
# run-under-wine.sh TOOL.exe OUT.tlb PREFIX
# Runs the type library writer at build time in a Wine prefix of its own
# (created on first use, without a display), with no pipe of the build left
# open by Wine's background processes.
set -eu
tool=$1 out=$2
export WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
fi
cd "$(dirname "$out")"
name=$(basename "$out")
rm -f "$name"
if ! wine "$tool" "$name" >"$name.log" 2>&1 </dev/null || [ ! -s "$name" ]; then
  cat "$name.log" >&2
  exit 1
fi
