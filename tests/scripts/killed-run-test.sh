#!/usr/bin/env bash
# killed-run-test.sh SOURCE_DIR BIN_DIR
# The scripts' Wine session, in a scratch build tree beside BIN_DIR: a
# session killed with SIGKILL does not hold up the next one, whose server
# answers within 60 s; after a normal stop, and after SIGTERM to run.sh's
# launcher under Xvfb, no process of the session or of its prefix is left.
set -uo pipefail
src=$1 bin=$2
scratch=$(dirname "$bin")/killed-run
prefix=$scratch/wineprefix site=$scratch/site token="killed-run test $$"
failures=0 sessions=()
# Wine's processes and the scripts' children name the prefix in their
# environment; left SESSION adds the processes of that Linux session.
of_prefix() { grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3; }
left() { ps -eo pid=,sid= | awk -v s="$1" '$2 == s { print $1 }'; of_prefix; }
within() {   # within SECONDS COMMAND...: whether COMMAND succeeds in time
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.5; done
}
answers() { curl -s --max-time 1 http://127.0.0.1/ | grep -q "$token"; }
# shellcheck disable=SC2317 # called by within
gone() { [ -z "$(left "$1")" ]; }
# shellcheck disable=SC2317 # the EXIT trap calls it
cleanup() {
  local s
  for s in "${sessions[@]}"; do pkill -KILL -s "$s"; done
  # shellcheck disable=SC2046 # one pid a word
  kill -KILL $(of_prefix) 2>/dev/null
  sleep 1
  rm -rf "$scratch"
}
trap cleanup EXIT

rm -rf "$scratch"
mkdir -p "$scratch/win64" "$site"
ln -s "$bin" "$scratch/win64/bin"
echo "$token" >"$site/index.html"
# A copy of the running session's prefix saves creating one.
# shellcheck source=../../tools/prefix-copy.sh
. "$src/tools/prefix-copy.sh"
[ ! -f "${WINEPREFIX:-}/system.reg" ] || qor_copy_prefix "$WINEPREFIX" "$prefix"

# session LOG: a Wine session as the scripts start one, serving the site
# until $scratch/stop appears, in a Linux session of its own ($session).
# When $scratch/nest appears it runs a script that opens a session of its
# own on the same prefix, as a test of the session would, and then
# $scratch/nested appears.
session() {
  rm -f "$scratch/stop"
  # shellcheck disable=SC2016 # expanded by the session's shell
  setsid bash -c 'set -euo pipefail
    . "$1/tools/wine-session.sh"
    wine_session "$2"
    "$QOR_WINE" "$2/win64/bin/OrraWebServer.exe" "$(qor_wine winepath -w "$3")\\" &
    while [ ! -e "$2/stop" ]; do
      if [ -e "$2/nest" ]; then
        rm "$2/nest"
        bash -c ". \"\$0/tools/wine-session.sh\" && wine_session \"\$1\"" "$1" "$2" >"$2/nested.log" 2>&1
        touch "$2/nested"
      fi
      sleep 0.2
    done' _ "$src" "$scratch" "$site" >"$1" 2>&1 </dev/null &
  session=$!
  sessions+=("$session")
  disown   # killed on purpose: no job report
}
report() {   # report WHAT LOG
  local pids
  pids=$(left "$session" | paste -sd,)
  echo "FAIL $1"; [ -z "$pids" ] || ps -o pid,args -p "$pids"; cat "$2"
  failures=1
}

session "$scratch/first.log"
within 90 answers || { report "the first session did not answer within 90 s" "$scratch/first.log"; exit 1; }
pkill -KILL -s "$session"
sleep 1
echo "the killed session left $(left "$session" | wc -l) processes"
session "$scratch/next.log"
SECONDS=0
if within 60 answers; then
  echo "ok   the session after a killed one answers ($SECONDS s)"
else
  report "the session after a killed one did not answer within 60 s" "$scratch/next.log"
fi
touch "$scratch/nest"
if within 30 test -e "$scratch/nested" && answers; then
  echo "ok   a session nested in a running one on its prefix ends none of its programs"
else
  report "a nested session ended its parent's programs" "$scratch/nested.log"
fi
touch "$scratch/stop"
if within 30 gone "$session"; then echo "ok   a normal stop leaves nothing"
else report "a normal stop left these" "$scratch/next.log"; fi

env -u DISPLAY setsid "$src/tools/run-demo.sh" "$scratch" "$site" >"$scratch/demo.log" 2>&1 </dev/null &
session=$!
sessions+=("$session")
if ! within 60 grep -q "Close the server's window" "$scratch/demo.log" || ! answers; then
  report "run-demo.sh does not serve" "$scratch/demo.log"
fi
kill -TERM "$session"
if within 30 gone "$session"; then echo "ok   SIGTERM to run.sh under Xvfb stops it all"
else report "SIGTERM to run.sh under Xvfb left these" "$scratch/demo.log"; fi
exit "$failures"
