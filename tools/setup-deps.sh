#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Quick when everything is there already: it only asks dpkg.
# The 32-bit Wine (wine32:i386) only where this kernel runs 32-bit programs:
# elsewhere its post-install scripts fail, and nothing could use it.
set -euo pipefail
# shellcheck source=wine-env.sh
. "$(dirname "$0")/wine-env.sh"
pkgs=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
      libwine-dev wine wine64 fonts-wine xvfb xauth x11-apps imagemagick
      googletest cmake ninja-build curl chromium shellcheck clang-format wixl msitools)
i386=0
if qor_host_runs_32bit; then
  i386=1
  pkgs+=(wine32:i386)
fi
[ -n "${QOR_EXTRA_PACKAGES:-}" ] && read -r -a extra <<<"$QOR_EXTRA_PACKAGES" && pkgs+=("${extra[@]}")
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
[ $i386 = 1 ] || echo "(no wine32:i386: $(qor_wine_32bit_reason | sed 's/, so wine32 is not installed//'))"
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ $i386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
