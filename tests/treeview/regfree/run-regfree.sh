#!/usr/bin/env bash
# run-regfree.sh BUILD_DIR TEST_EXE [test args...]
# Runs the registration-free test as a user would set it up: in a folder of
# its own, the test program with the shipped example manifest renamed after
# it, QorTreeView.ocx and its side-by-side manifest, and a lone copy of the
# demo container in alone\. The Wine prefix (BUILD_DIR/regfree/wineprefix) is
# made afresh on every run, so nothing in it was ever registered.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
build=$(cd "${1:?build dir}" && pwd); test=${2:?test program}; shift 2
bin=$build/bin
root=$build/regfree
app=$root/app
name=$(basename "$test")
rm -rf "$root"
mkdir -p "$app/alone"
cp "$test" "$bin/QorTreeView.ocx" "$bin/QorTreeView.sxs.manifest" "$app/"
cp "$bin/YourProgram.exe.manifest" "$app/$name.manifest"
cp "$bin/QorTreeViewDemo.exe" "$app/alone/"

export WINEPREFIX=$root/wineprefix
# shellcheck source=../../../tools/wine-env.sh
. "$here/tools/wine-env.sh"
"$here/tools/wine-prefix.sh"
# Only this prefix's server: the build tree's own one stays up.
trap 'qor_wineserver -k 2>/dev/null || true' EXIT
qor_wine "$app/$name" "$@"
