#!/usr/bin/env bash
# run-at-scale.sh BUILD_DIR DPI TEST_EXE [test args...]
# Runs a test program at a display scale of DPI dots per inch (96, 144,
# 192) in a Wine prefix of its own, BUILD_DIR/scale-DPI/wineprefix: a copy
# of the build tree's prefix (made once, Wine's binaries hard-linked) whose
# LogPixels is DPI. Wine reads the scale when its server starts, so the
# prefix gets a wineserver of its own, ended on the way out.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
build=$(cd "${1:?build dir}" && pwd); dpi=${2:?dpi}; test=${3:?test program}; shift 3
source=${WINEPREFIX:-$build/wineprefix}
export WINEPREFIX=$build/scale-$dpi/wineprefix
# shellcheck source=../../../tools/wine-env.sh
. "$here/tools/wine-env.sh"

if [ ! -f "$WINEPREFIX/system.reg" ] && [ -f "$source/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  tar -C "$source" -cf - --exclude=./wineserver --exclude=./drive_c/windows/system32 \
      --exclude=./drive_c/windows/syswow64 --exclude=./drive_c/windows/winsxs . | tar -C "$WINEPREFIX" -xf -
  for dir in system32 syswow64 winsxs; do
    [ ! -d "$source/drive_c/windows/$dir" ] || cp -al "$source/drive_c/windows/$dir" "$WINEPREFIX/drive_c/windows/"
  done
fi
"$here/tools/wine-prefix.sh"
trap 'qor_wineserver -k 2>/dev/null || true' EXIT
value=$(printf 'dword:%08x' "$dpi")
if ! grep -q "\"LogPixels\"=$value" "$WINEPREFIX/user.reg"; then
  qor_bounded 60 "Wine to set the scale" "${qor_quiet[@]}" \
    "$QOR_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
  qor_bounded 60 "Wine to write the prefix's registry" /usr/lib/wine/wineserver -w
fi
QOR_TEST_DPI=$dpi qor_wine "$test" "$@"
