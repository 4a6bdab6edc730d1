#!/usr/bin/env bash
# run-at-scale.sh BUILD_DIR DPI TEST_EXE [test args...]
# Runs a test program at a display scale of DPI dots per inch (96, 144,
# 192) in a Wine prefix of its own, BUILD_DIR/scale-DPI/wineprefix, made
# once from the build tree's prefix (tools/scale-prefix.sh), with a
# wineserver of its own that ends with the run.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
build=$(cd "${1:?build dir}" && pwd); dpi=${2:?dpi}; test=${3:?test program}; shift 3
# shellcheck source=../../../tools/scale-prefix.sh
. "$here/tools/scale-prefix.sh"
qor_scale_prefix "${WINEPREFIX:-$build/wineprefix}" "$build/scale-$dpi/wineprefix" "$dpi"
trap 'qor_wineserver -k 2>/dev/null || true' EXIT
QOR_TEST_DPI=$dpi qor_wine "$test" "$@"
