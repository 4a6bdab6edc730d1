#!/usr/bin/env bash
# Builds both architectures and runs every test under Wine.
# Usage: ./test.sh            (installs what is missing, then builds and tests)
# On a host that cannot run 32-bit programs (or with QOR_WINE_64BIT_ONLY=1)
# the win32 tests that run under Wine are counted as skipped, and said so.
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
# One prefix and one wineserver for the whole run, and the port-80 lock
# that the other scripts take too.
. tools/wine-session.sh
wine_session "$PWD/build"

status=0 skipped=0
: >build/ctest-summary.txt
run_ctest() {   # run_ctest PRESET [ctest args]
  local preset=$1; shift
  echo "== ctest --preset $preset $*"
  ctest --preset "$preset" -j2 "$@" 2>&1 | tee "build/ctest-$preset.log" || status=1
  grep -E 'tests passed, [0-9]+ tests? failed out of' "build/ctest-$preset.log" >>build/ctest-summary.txt || status=1
}
run_ctest win64
if [ "$QOR_WINE_32BIT" = 1 ]; then
  run_ctest win32
else
  run_ctest win32 -LE '^wine$'
  skipped=$(ctest --preset win32 -N -L '^wine$' | sed -n 's/^Total Tests: //p')
fi
echo
if [ "$skipped" -gt 0 ]; then
  echo "Skipped $skipped win32 tests that run 32-bit programs under Wine: $(qor_wine_32bit_reason); on a host that can run 32-bit programs, ./test.sh without QOR_WINE_64BIT_ONLY runs them."
fi
# The closing line counts every test of both runs.
awk -v skipped="$skipped" '{ for (i = 1; i < NF; i++) if ($(i+1) ~ /^tests?$/ && $(i+2) == "failed") f += $i; t += $NF }
     END { printf "Total: %d passed, %d failed, %d skipped\n", t - f, f, skipped }' build/ctest-summary.txt
exit $status
