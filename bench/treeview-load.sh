#!/usr/bin/env bash
# treeview-load.sh BUILD_DIR [RUNS]
# The control's load of a configuration of 25,000 to 100,000 records (paths
# four levels deep, four icons) against a bare TVM_INSERTITEMW loop in the
# same run, and the 100,000-record load in remote mode through
# OrraWebServer.exe. Run by hand; prints a Markdown table (medians of RUNS).
# Holds /tmp/qor-port80.lock while it runs, since the server binds port 80.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: treeview-load.sh BUILD_DIR [RUNS]}" && pwd); runs=${2:-5}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$runs"
fi
. "$here/tools/wine-session.sh"
wine_session "$build"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(qor_wine --version); $(date -u +%F)"
qor_wine "$build/bin/qortree_bench.exe" "$runs" </dev/null
