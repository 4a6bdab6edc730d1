#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Quick when everything is there already: it only asks dpkg.
set -euo pipefail
pkgs=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
      libwine-dev wine wine64 wine32:i386 xvfb xauth x11-apps imagemagick
      googletest cmake ninja-build curl chromium)
[ -n "${QOR_EXTRA_PACKAGES:-}" ] && read -r -a extra <<<"$QOR_EXTRA_PACKAGES" && pkgs+=("${extra[@]}")
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
