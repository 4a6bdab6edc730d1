#!/usr/bin/env bash
# Builds both architectures and runs every test under Wine.
# Usage: ./test.sh            (installs what is missing, then builds and tests)
set -euo pipefail
cd "$(dirname "$0")"
tools/setup-deps.sh
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
tools/wine-prefix.sh
export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all
# One wineserver for the whole run: each program then starts quickly.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Start Wine's background services now, detached from any test's output:
# started by the first test, they would hold its pipes open and CTest
# would wait for them until the time-out.
wine cmd /c exit >/dev/null 2>&1 </dev/null

status=0
: >build/ctest-summary.txt
for preset in win64 win32; do
  echo "== ctest --preset $preset"
  ctest --preset "$preset" -j2 2>&1 | tee build/ctest-$preset.log || status=1
  grep -E 'tests passed, [0-9]+ tests? failed out of' build/ctest-$preset.log >>build/ctest-summary.txt || status=1
done
echo
# The closing line counts every test of both runs.
awk '{ for (i = 1; i < NF; i++) if ($(i+1) ~ /^tests?$/ && $(i+2) == "failed") f += $i; t += $NF }
     END { printf "Total: %d passed, %d failed\n", t - f, f }' build/ctest-summary.txt
exit $status
