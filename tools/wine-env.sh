# shellcheck shell=bash
# Sourced by every script that runs a Windows program: the one place that
# decides how Wine starts them on this host.
#
# Debian's wine wrappers always start the 32-bit loader when wine32 is
# installed, and some kernels cannot execute 32-bit programs at all (the
# loader fails with "Exec format error"). So we try the 32-bit loader once;
# when it cannot run (or QOR_WINE_64BIT_ONLY=1), programs start with the
# 64-bit loader and WINELOADER pointing at it, and no 32-bit Windows program
# can run. The decision is exported, so child scripts inherit it.
#
#   qor_wine PROGRAM [ARGS]   runs a Windows program (an .exe path, or a
#                             built-in such as wineboot, winepath, reg, cmd)
#   "$QOR_WINE" PROGRAM ...   the same without a function in between, for a
#                             program started with & whose pid is wanted
#   qor_wineserver [ARGS]     the wineserver of the prefix in WINEPREFIX
#   qor_make_prefix           creates the prefix in WINEPREFIX unless it
#                             exists; on failure prints Wine's output and
#                             returns 1 (the caller says what to try)
#   QOR_WINE_32BIT            1 when 32-bit Windows programs can run here
#   qor_host_runs_32bit       whether the kernel executes 32-bit programs,
#                             asked before wine32 exists (the set-up)

qor_wine_32bit_loader=/usr/lib/wine/wine
qor_wine_64bit_loader=/usr/lib/wine/wine64

# Executes a 52-byte 32-bit ELF program that only exits 0: nothing short of
# running one tells whether this kernel can.
qor_host_runs_32bit() {
  [ "${QOR_WINE_64BIT_ONLY:-}" = 1 ] && return 1
  local probe rc=0
  probe=$(mktemp)
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000T\200\004\0104\000\000\000\000\000\000\000\000\000\000\0004\000 \000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010]\000\000\000]\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\0001\333\315\200' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=1
  rm -f "$probe"
  return $rc
}

if [ -z "${QOR_WINE:-}" ]; then
  if [ "${QOR_WINE_64BIT_ONLY:-}" != 1 ] && "$qor_wine_32bit_loader" --version >/dev/null 2>&1; then
    QOR_WINE=$qor_wine_32bit_loader QOR_WINE_32BIT=1
  else
    # The 64-bit loader starts every other Wine process through WINELOADER.
    QOR_WINE=$qor_wine_64bit_loader QOR_WINE_32BIT=0
    export WINELOADER=$qor_wine_64bit_loader
  fi
  export QOR_WINE QOR_WINE_32BIT
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

qor_wine() {
  "$QOR_WINE" "$@"
}

qor_wineserver() {
  /usr/lib/wine/wineserver "$@"
}

qor_make_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$WINEPREFIX"
  local log
  if ! log=$(qor_wine wineboot -i 2>&1 </dev/null) || ! qor_wineserver -w ||
     [ ! -f "$WINEPREFIX/system.reg" ]; then
    printf '%s\n' "$log" >&2
    return 1
  fi
}

# The line a script prints when it leaves the 32-bit programs out.
qor_wine_32bit_reason() {
  if [ "${QOR_WINE_64BIT_ONLY:-}" = 1 ]; then
    echo "QOR_WINE_64BIT_ONLY=1 is set"
  elif [ ! -e "$qor_wine_32bit_loader" ]; then
    echo "this host cannot run 32-bit programs, so wine32 is not installed"
  else
    echo "this host cannot run 32-bit programs ($qor_wine_32bit_loader: $("$qor_wine_32bit_loader" --version 2>&1 | tail -1))"
  fi
}
