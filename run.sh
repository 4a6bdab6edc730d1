#!/usr/bin/env bash
# Builds and starts the web server under Wine, serving a folder, and the demo
# container showing that folder's tree.txt from the server.
# Usage: ./run.sh [web-root]      (default: examples/site)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# A relative web root is the caller's, not the project's.
root=$(cd "${1:-$here/examples/site}" && pwd) || { echo "run.sh: no such folder: $1" >&2; exit 1; }
cd "$here"
tools/setup-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target OrraWebServer QorTreeViewDemo
exec tools/run-demo.sh "$PWD/build" "$root"
