# shellcheck shell=bash
# Sourced by the scripts that run programs at a display scale.
# qor_scale_prefix SOURCE PREFIX DPI: makes PREFIX a Wine prefix whose scale
# is DPI dots per inch (96, 144, 192): once, a copy of the prefix SOURCE
# (Wine's binaries hard-linked, the rest copied), or a new one where SOURCE
# has none; then LogPixels. Exports WINEPREFIX=PREFIX. Wine reads the scale
# when its server starts, so the caller runs the prefix's own wineserver and
# ends it (qor_wineserver -k).
# shellcheck source=wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
# shellcheck source=prefix-copy.sh
. "$(dirname "${BASH_SOURCE[0]}")/prefix-copy.sh"

qor_scale_prefix() {
  local source=$1 dpi=$3 value
  export WINEPREFIX=$2
  if [ ! -f "$WINEPREFIX/system.reg" ] && [ -f "$source/system.reg" ]; then
    qor_copy_prefix "$source" "$WINEPREFIX"
  fi
  "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
  value=$(printf 'dword:%08x' "$dpi")
  if ! grep -q "\"LogPixels\"=$value" "$WINEPREFIX/user.reg"; then
    qor_bounded 60 "Wine to set the scale" "${qor_quiet[@]}" \
      "$QOR_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    qor_bounded 60 "Wine to write the prefix's registry" /usr/lib/wine/wineserver -w
  fi
}
