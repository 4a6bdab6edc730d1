# shellcheck shell=bash
# Sourced by the scripts that run programs of one build tree under Wine.
# wine_session BUILD_DIR: uses the tree's own prefix (BUILD_DIR/wineprefix),
# takes the port-80 lock on fd 9 for the rest of the script (the server's
# tests and benchmarks bind that port), keeps one wineserver alive until the
# script exits, and starts Wine's services detached from any program's
# output (started by a program under test, they would hold its pipes open).
# shellcheck source=wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_session() {
  local tools
  tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  export WINEPREFIX=$1/wineprefix
  "$tools/wine-prefix.sh"
  exec 9>/tmp/qor-port80.lock
  if ! flock -n 9; then
    echo "Waiting for another run that holds port 80 (/tmp/qor-port80.lock)"
    flock 9
  fi
  # Neither the wineserver nor the services may inherit the lock: they can
  # outlive this script.
  qor_wineserver -p 9>&-
  trap 'qor_wineserver -k 2>/dev/null || true' EXIT
  qor_wine cmd /c exit >/dev/null 2>&1 </dev/null 9>&-
}
