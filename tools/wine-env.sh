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
#   qor_wine_pids             the Wine processes of the prefix in WINEPREFIX
#   qor_end_wine              ends them all, by force after 10 s
#   qor_bounded SECS WHAT CMD runs CMD for at most SECS seconds, saying what
#                             it waits for when that takes more than 2 s
#   "${qor_quiet[@]}" CMD     CMD without input or output, for qor_bounded
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

# Wine's own programs (the loaders, the wineserver) whose environment names
# the prefix: the scripts that export WINEPREFIX are not among them.
qor_wine_pids() {
  local environ pid
  while IFS= read -r environ; do
    pid=${environ#/proc/}; pid=${pid%/environ}
    case $(readlink "/proc/$pid/exe" 2>/dev/null) in /usr/lib/wine/*) echo "$pid" ;; esac
  done < <(grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null)
}

# The wineserver ends its programs and Wine's services when asked; one that
# does not answer, and whatever it leaves, is killed.
qor_end_wine() {
  # A session nested in another (wine-session.sh) leaves its programs alone.
  [ "${qor_session_nested:-0}" = 0 ] || return 0
  [ -n "$(qor_wine_pids)" ] || return 0
  timeout 5 /usr/lib/wine/wineserver -k >/dev/null 2>&1 9>&- || true
  qor_wine_gone 10 && return 0
  local left
  left=$(qor_wine_pids)
  echo "Killing the Wine processes left in $WINEPREFIX: ${left//$'\n'/ }"
  # shellcheck disable=SC2086 # one pid a word
  kill -KILL $left 2>/dev/null || true
  qor_wine_gone 5
}

# qor_wine_gone SECS: whether the prefix's Wine processes are gone within SECS.
qor_wine_gone() {
  local _
  for _ in $(seq $(($1 * 5))); do
    [ -n "$(qor_wine_pids)" ] || return 0
    sleep 0.2
  done
  return 1
}

# shellcheck disable=SC2034 # used by the scripts that source this one
qor_quiet=(sh -c 'exec "$@" </dev/null >/dev/null 2>&1' sh)
qor_bounded() {
  local secs=$1 what=$2 note rc=0
  shift 2
  (sleep 2 && echo "Waiting for $what (at most $secs s)" >&2) 9>&- &
  note=$!
  timeout "$secs" "$@" || rc=$?
  kill "$note" 2>/dev/null || true
  wait "$note" 2>/dev/null || true
  [ "$rc" != 124 ] || echo "Gave up waiting for $what after $secs s" >&2
  return "$rc"
}

qor_make_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$WINEPREFIX"
  local log
  if ! log=$(qor_bounded 300 "Wine to create the prefix $WINEPREFIX" "$QOR_WINE" wineboot -i 2>&1 </dev/null) ||
     ! qor_bounded 60 "Wine to finish with the prefix" /usr/lib/wine/wineserver -w ||
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
