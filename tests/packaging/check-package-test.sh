#!/usr/bin/env bash
# check-package-test.sh CHECKER OBJDUMP BINARY MINGW_DLL ARCH OTHER_ARCH_BINARY STRIP
# Feeds the package checker zips with known faults and one sound zip: it
# must refuse each fault (missing file, MinGW runtime import, stray binary,
# binary of the other architecture, unstripped binary, broken or escaping
# link in a Markdown file, script in the site, wrong name) and
# accept the sound one. ARCH (win64 or win32) is BINARY's, an unstripped
# build output that STRIP makes shippable; OTHER_ARCH_BINARY is any PE file
# of the other one (empty: that case is skipped).
set -uo pipefail
checker=$1 objdump=$2 unstripped=$3 mingw=$4 arch=$5 other=${6:-} strip=$7
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
good=$work/good.exe
"$strip" -o "$good" "$unstripped" || { echo "FAIL cannot strip $unstripped"; exit 1; }
failures=0
list=OrraWebServer.exe,QorTreeView.ocx,README.md

# make NAME: zips $work/NAME/<top>/ as $work/NAME/<top>.zip from what the
# caller put there.
zipit() { (cd "$work/$1" && cmake -E tar cf "$2.zip" --format=zip "$2"); }
layout() {
  local dir=$work/$1/$2
  mkdir -p "$dir"
  cp "$good" "$dir/OrraWebServer.exe"
  cp "$good" "$dir/QorTreeView.ocx"
  mkdir -p "$dir/docs/images" "$dir/site"
  printf '[guide](docs/guide.md), [site](http://127.0.0.1/), [top](#top)\n' >"$dir/README.md"
  printf '![shot](images/shot.png) [back](../README.md#top)\n' >"$dir/docs/guide.md"
  echo png >"$dir/docs/images/shot.png"
  echo page >"$dir/site/index.html"
}
expect() {   # expect WANT(0|1) CASE ZIP MESSAGE-PATTERN
  local out rc
  out=$(bash "$checker" "$3" "$objdump" "$list" 2>&1); rc=$?
  if { [ "$1" = 0 ] && [ $rc != 0 ]; } || { [ "$1" = 1 ] && [ $rc = 0 ]; } ||
     ! grep -q -- "$4" <<<"$out"; then
    echo "FAIL $2: exit $rc, output: $out"; failures=$((failures + 1))
  else
    echo "ok   $2"
  fi
}
top=OrraWebServer-QorTreeView-1.0.0-$arch

layout sound "$top"; zipit sound "$top"
expect 0 "a sound zip passes" "$work/sound/$top.zip" "import only system DLLs"

layout missing "$top"; rm "$work/missing/$top/README.md"; zipit missing "$top"
expect 1 "a missing file is named" "$work/missing/$top.zip" "$top/README.md missing"

layout runtime "$top"; cp "$mingw" "$work/runtime/$top/QorTreeView.ocx"; zipit runtime "$top"
expect 1 "a MinGW runtime import is refused" "$work/runtime/$top.zip" "not a system DLL"

layout stray "$top"; cp "$good" "$work/stray/$top/helper.dll"; zipit stray "$top"
expect 1 "an unlisted binary is refused" "$work/stray/$top.zip" "unlisted binary $top/helper.dll"

if [ -n "$other" ]; then
  layout foreign "$top"; cp "$other" "$work/foreign/$top/QorTreeView.ocx"; zipit foreign "$top"
  expect 1 "a binary of the other architecture is refused" "$work/foreign/$top.zip" "QorTreeView.ocx is pei-"
fi

layout symbols "$top"; cp "$unstripped" "$work/symbols/$top/QorTreeView.ocx"; zipit symbols "$top"
expect 1 "an unstripped binary is refused" "$work/symbols/$top.zip" "QorTreeView.ocx is not stripped"

layout link "$top"; rm "$work/link/$top/docs/images/shot.png"; zipit link "$top"
expect 1 "a link to a file left out is named" "$work/link/$top.zip" "docs/guide.md links images/shot.png, which is not"

layout escape "$top"; echo '[src](../../cmake/Packaging.cmake)' >>"$work/escape/$top/docs/guide.md"; zipit escape "$top"
expect 1 "a link out of the zip is refused" "$work/escape/$top.zip" "outside the zip"

layout script "$top"; echo 'print()' >"$work/script/$top/site/make_icons.py"; zipit script "$top"
expect 1 "a build script in the site is refused" "$work/script/$top.zip" "build script $top/site/make_icons.py"

odd=OrraWebServer-QorTreeView-1.0.0-arm
layout name $odd; zipit name $odd
expect 1 "a wrongly named package is refused" "$work/name/$odd.zip" "unexpected package name"

expect 1 "no zip at all is refused" "$work/none.zip" "no package"
exit $((failures > 0))
