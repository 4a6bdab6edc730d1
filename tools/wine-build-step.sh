#!/usr/bin/env bash
# wine-build-step.sh WHAT PREFIX OUT ARCH TOOL.exe [INPUT]
# Runs one of our writers at build time (the type library writer, the
# registry fragment writer) as `TOOL [INPUT] OUT ARCH` in the Wine prefix
# PREFIX (created on first use, without a display), with no pipe of the
# build left open by Wine's background processes. WHAT names the writer in
# messages. On failure it prints Wine's own output and what to try.
set -euo pipefail
what=$1 out=$3 arch=$4 tool=$5 input=${6:-}
export WINEPREFIX=$2
# shellcheck source=wine-env.sh
. "$(dirname "$0")/wine-env.sh"
advice="check that Wine runs here: WINEPREFIX=$WINEPREFIX tools/wine-run.sh cmd /c ver (tools/setup-deps.sh installs it); remove $WINEPREFIX to start afresh"
if ! qor_make_prefix; then
  echo "wine-build-step.sh: Wine could not create the prefix $WINEPREFIX; $advice" >&2
  exit 1
fi
# Relative names: Wine reads them from the folder it starts in.
[ -n "$input" ] && input=$(realpath --relative-to="$(dirname "$out")" "$input")
cd "$(dirname "$out")"
name=$(basename "$out")
rm -f "$name"
if ! qor_wine "$tool" ${input:+"$input"} "$name" "$arch" >"$name.log" 2>&1 </dev/null ||
   [ ! -s "$name" ]; then
  cat "$name.log" >&2
  echo "wine-build-step.sh: the $what failed under Wine; $advice" >&2
  exit 1
fi
