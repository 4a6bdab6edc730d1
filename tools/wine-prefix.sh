#!/usr/bin/env bash
# Creates the project's Wine prefix (build/wineprefix, or WINEPREFIX) once,
# with Wine's own fonts in it. Needs a display.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
. "$here/tools/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating Wine prefix in $WINEPREFIX (once, 10-20 s)"
  if ! qor_make_prefix; then
    echo "wine-prefix.sh: Wine could not create $WINEPREFIX; remove that folder and check that 'tools/wine-run.sh wineboot -i' runs on this host (tools/setup-deps.sh installs Wine)" >&2
    exit 1
  fi
fi
# Without Marlett and Wine's TrueType fonts, title bars draw their buttons as
# "0 1 r" and dialogs fall back to a bitmap font; Wine looks for them in the
# prefix's Fonts folder.
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf "$fonts/"
fi
# Windows not managed by a window manager: Xvfb runs none, and Wine would
# otherwise wait about 2 s for one at every window close (and draw no title
# bar in screenshots).
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  qor_bounded 60 "Wine to set the prefix up" "${qor_quiet[@]}" \
    "$QOR_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
  qor_bounded 60 "Wine to write the prefix's registry" /usr/lib/wine/wineserver -w
fi
