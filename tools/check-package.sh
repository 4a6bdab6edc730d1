#!/usr/bin/env bash
# check-package.sh [--make BUILD_DIR] ZIP OBJDUMP FILE[,FILE...]
# Checks one shipped zip: it holds every listed file under its top folder
# (named after the zip), no binary beyond the listed ones, and each binary
# imports only DLLs that come with Windows, and is stripped; every relative
# link of a shipped Markdown file resolves inside the zip, and the published
# site holds no build scripts. With --make, the zip is first
# made afresh with cpack in BUILD_DIR. Exit code 0 only when all holds.
set -euo pipefail
if [ "${1:-}" = "--make" ]; then
  build=$2; shift 2
  rm -f "$1"
  (cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
fi
zip=${1:?zip}; objdump=${2:?objdump}; IFS=, read -r -a wanted <<<"${3:?file list}"

# DLLs every Windows from 7 on ships; a MinGW runtime DLL (libstdc++,
# libgcc_s, libwinpthread) or anything else means the binary will not start
# on a clean machine.
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll"
system_dlls+=" oleaut32.dll comctl32.dll comdlg32.dll ws2_32.dll wsock32.dll msvcrt.dll"
system_dlls+=" shlwapi.dll urlmon.dll wininet.dll version.dll uxtheme.dll psapi.dll "

fail=0
bad() { echo "check-package: $*" >&2; fail=1; }

[ -f "$zip" ] || { echo "check-package: no package $zip" >&2; exit 1; }
zip=$(realpath "$zip")
top=$(basename "$zip" .zip)
case "$top" in
  OrraWebServer-QorTreeView-*-win64) format=pei-x86-64 ;;
  OrraWebServer-QorTreeView-*-win32) format=pei-i386 ;;
  *) bad "unexpected package name $top"; format=unknown ;;
esac

# cmake reads zips too, and is there wherever the project builds.
listing=$(cmake -E tar tf "$zip" | sed 's:/$::') ||
  { echo "check-package: unreadable zip $zip" >&2; exit 1; }
for f in "${wanted[@]}"; do
  grep -qxF "$top/$f" <<<"$listing" || bad "$top/$f missing from $(basename "$zip")"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
while IFS= read -r entry; do
  case "${entry,,}" in
    *.exe|*.dll|*.ocx) ;;
    *) continue ;;
  esac
  rel=${entry#"$top"/}
  listed=0
  for f in "${wanted[@]}"; do [ "$f" = "$rel" ] && listed=1; done
  [ $listed = 1 ] || bad "unlisted binary $entry"
  # A binary of the other architecture would not load in this one's hosts.
  header=$("$objdump" -f "$work/$entry" 2>/dev/null || true)
  got=$(sed -n 's/.*file format //p' <<<"$header")
  [ "$got" = "$format" ] || bad "$entry is ${got:-not a PE file}, not $format"
  # Shipped binaries are stripped; the build tree keeps the symbols.
  if grep -qE 'HAS_SYMS|HAS_DEBUG' <<<"$header" || "$objdump" -h "$work/$entry" | grep -q ' \.debug'; then
    bad "$entry is not stripped (symbol table or debug sections)"
  fi
  imports=$("$objdump" -p "$work/$entry" | sed -n 's/^[[:space:]]*DLL Name: //p')
  [ -n "$imports" ] || bad "$entry: no imports read (not a PE file?)"
  for dll in $imports; do
    case "$system_dlls" in
      *" ${dll,,} "*) ;;
      *) bad "$entry imports $dll, which is not a system DLL" ;;
    esac
  done
done <<<"$listing"

# Links: [text](target) and ![alt](picture), relative to the file; web
# addresses and anchors within the page are not files.
while IFS= read -r md; do
  dir=$(dirname "$md")
  while IFS= read -r target; do
    target=${target%%#*}
    case "$target" in
      ''|*://*|mailto:*) continue ;;
    esac
    resolved=$(realpath -m "$work/$dir/$target")
    case "$resolved" in
      "$work/$top"/*) [ -e "$resolved" ] || bad "$md links $target, which is not in the zip" ;;
      *) bad "$md links $target, outside the zip" ;;
    esac
  done < <(grep -oE '\]\([^)[:space:]]+' "$work/$md" | cut -c3-)
done < <(grep -iE '\.md$' <<<"$listing")

# The server publishes site/ as it stands: a script there would be served.
while IFS= read -r entry; do
  bad "build script $entry in the published site"
done < <(grep -iE "^$top/site/.*\.(py|sh|ps1|cmd|bat)$" <<<"$listing")

if [ $fail = 0 ]; then
  echo "check-package: $(basename "$zip"): ${#wanted[@]} listed files present, binaries stripped and import only system DLLs"
fi
exit $fail
