# shellcheck shell=bash
# Sourced by the scripts that run programs of one build tree under Wine.
# wine_session BUILD_DIR: uses the tree's own prefix (BUILD_DIR/wineprefix),
# takes the port-80 lock on fd 9 for the rest of the script (the server's
# tests and benchmarks bind that port), ends what a killed run left in the
# prefix, keeps one wineserver alive until the script exits, and starts
# Wine's services detached from any program's output (started by a program
# under test, they would hold its pipes open). A script that sets its own
# EXIT trap calls qor_end_wine in it.
# shellcheck source=wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

qor_port80_lock=/tmp/qor-port80.lock
# How long a run waits for another one that holds port 80 (a whole ./test.sh
# takes several minutes).
qor_port80_wait=${QOR_PORT80_WAIT:-1800}
# The session's wineserver outlives its last program by this long: enough to
# bridge the gaps between tests, short enough that a run killed before its
# clean-up leaves nothing behind for long.
qor_wineserver_idle=60

# Takes the port-80 lock, or returns 1 after qor_port80_wait seconds. A
# script started by a run that holds it (a test of the scripts, under
# CTest's own port-80 lock) is part of that run and takes nothing.
qor_take_port80() {
  if [ -n "${QOR_PORT80_HOLDER:-}" ] && kill -0 "$QOR_PORT80_HOLDER" 2>/dev/null; then
    return 0
  fi
  # Appending keeps the holder's line while others wait.
  exec 9>>"$qor_port80_lock"
  if ! flock -n 9; then
    local holder
    holder=$(head -c 200 "$qor_port80_lock")
    echo "Waiting for another run that holds port 80 ($qor_port80_lock${holder:+: $holder}), at most $qor_port80_wait s"
    if ! flock -w "$qor_port80_wait" 9; then
      echo "Gave up after $qor_port80_wait s: another run still holds $qor_port80_lock" >&2
      return 1
    fi
  fi
  : >"$qor_port80_lock"
  echo "pid $$, $0, $WINEPREFIX" >&9
  export QOR_PORT80_HOLDER=$$
}

# Whether PID is this shell or one of its ancestors.
qor_is_ancestor() {
  local p=$$
  while [ -n "$p" ] && [ "$p" -gt 1 ]; do
    [ "$p" != "$1" ] || return 0
    p=$(awk '/^PPid:/ { print $2 }' "/proc/$p/status" 2>/dev/null)
  done
  return 1
}

wine_session() {
  local tools
  tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  export WINEPREFIX=$1/wineprefix
  # A script that a session's own programs start on the same prefix (a test
  # that runs a script) is part of that session: it ends nothing, now or
  # at its exit.
  if [ "${QOR_WINE_SESSION:-}" = "$WINEPREFIX" ] && qor_is_ancestor "${QOR_WINE_SESSION_PID:-0}"; then
    qor_session_nested=1
    return 0
  fi
  qor_take_port80 || exit 1
  # No other run of ours is active now: whatever runs in the prefix was
  # left by one that was killed, and would make this one's wineserver wait
  # for it.
  if [ -n "$(qor_wine_pids)" ]; then
    echo "Ending the Wine server and programs that an earlier run left in $WINEPREFIX"
    qor_end_wine
  fi
  # Neither the wineserver nor the services may inherit the lock: they can
  # outlive this script.
  "$tools/wine-prefix.sh" 9>&-
  if ! qor_bounded 30 "the Wine server of $WINEPREFIX to start" \
       /usr/lib/wine/wineserver -p"$qor_wineserver_idle" 9>&-; then
    echo "The Wine server of $WINEPREFIX did not start; is another program using that prefix?" >&2
    exit 1
  fi
  trap qor_end_wine EXIT
  export QOR_WINE_SESSION=$WINEPREFIX QOR_WINE_SESSION_PID=$$
  if ! qor_bounded 120 "Wine's services to start in $WINEPREFIX" \
       "${qor_quiet[@]}" "$QOR_WINE" cmd /c exit 9>&-; then
    echo "Wine did not start in $WINEPREFIX; remove that folder to start afresh" >&2
    exit 1
  fi
}
