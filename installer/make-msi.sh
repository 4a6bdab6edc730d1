#!/usr/bin/env bash
# make-msi.sh PACKAGE x64|x86 VERSION STAGE_DIR OUT.msi
# Builds the Windows Installer package PACKAGE (QorTreeView or OrraWebServer)
# with wixl from installer/PACKAGE.wxs and the files staged in STAGE_DIR
# (the binaries, README.md, docs/, site/ and, for the control, the generated
# QorTreeView-registry.wxs). The upgrade code is fixed per package and
# architecture; the product code follows from the version, so that a package
# of another version upgrades in place and a rebuild of one version does not.
set -euo pipefail
package=${1:?package} arch=${2:?x64|x86} version=${3:?version} stage=${4:?stage dir} out=${5:?out.msi}
here=$(cd "$(dirname "$0")" && pwd)
stage=$(cd "$stage" && pwd)
out=$(realpath -m "$out")

# A GUID that a text names for good.
guid() {
  local h
  h=$(printf '%s' "$1" | sha1sum | tr a-f A-F)
  echo "{${h:0:8}-${h:8:4}-5${h:13:3}-A${h:17:3}-${h:20:12}}"
}

case "$arch" in
  x64) win64=yes programfiles=ProgramFiles64Folder ;;
  x86) win64=no programfiles=ProgramFilesFolder ;;
  *) echo "make-msi.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
case "$package/$arch" in
  QorTreeView/x64) upgrade='{B6A7E3F1-2D4C-4E8B-9F61-3C5D7A9E0B24}' root=QORTREEVIEWDIR ;;
  QorTreeView/x86) upgrade='{4F2C8D6A-7B1E-4A39-8C05-E9D3B6A1F752}' root=QORTREEVIEWDIR ;;
  OrraWebServer/x64) upgrade='{2E9B5C7D-0A4F-4D16-B8E3-71F6C2A5D908}' root=ORRAWEBSERVERDIR ;;
  OrraWebServer/x86) upgrade='{D83A1F60-5C2B-4B7E-A914-6E0F9C3B2D57}' root=ORRAWEBSERVERDIR ;;
  *) echo "make-msi.sh: unknown package $package" >&2; exit 2 ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An identifier Windows Installer accepts, from a path.
ident() { printf '%s' "$1" | tr -c 'A-Za-z0-9_.\n' '_'; }
xml() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"; }

# folder REL INDENT: the Directory of STAGE_DIR/REL with one component for
# its files, then its subfolders; each component's id goes to $work/refs.
folder() {
  local rel=$1 pad=$2 id f name
  id=$(ident "$package.$rel")
  echo "$pad<Directory Id=\"$id\" Name=\"$(xml "$(basename "$rel")")\">"
  if find "$stage/$rel" -maxdepth 1 -type f | grep -q .; then
    echo "$pad  <Component Id=\"$id\" Guid=\"$(guid "$package $arch $rel")\" Win64=\"$win64\">"
    echo "$id" >>"$work/refs.${rel%%/*}"
    while IFS= read -r f; do
      name=$(basename "$f")
      echo "$pad    <File Id=\"$(ident "$package.f.$rel/$name")\" Name=\"$(xml "$name")\" Source=\"$(xml "$rel/$name")\"/>"
    done < <(find "$stage/$rel" -maxdepth 1 -type f | LC_ALL=C sort)
    echo "$pad  </Component>"
  fi
  while IFS= read -r f; do
    folder "$rel/$(basename "$f")" "$pad  "
  done < <(find "$stage/$rel" -mindepth 1 -maxdepth 1 -type d | LC_ALL=C sort)
  echo "$pad</Directory>"
}

{
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">'
  echo '  <Fragment>'
  echo "    <DirectoryRef Id=\"$root\">"
  for top in docs site; do folder "$top" "      "; done
  echo '    </DirectoryRef>'
  for top in docs site; do
    echo "    <ComponentGroup Id=\"$package.$top\">"
    sed 's/.*/      <ComponentRef Id="&"\/>/' "$work/refs.$top"
    echo '    </ComponentGroup>'
  done
  echo '  </Fragment>'
  echo '</Wix>'
} >"$work/files.wxs"

sources=("$here/$package.wxs" "$work/files.wxs")
[ "$package" = QorTreeView ] && sources+=("$stage/QorTreeView-registry.wxs")
# wixl finds the files relative to the folder it runs in.
cd "$stage"
wixl -a "$arch" -o "$out" \
  -D Version="$version" -D ProductCode="$(guid "$package $arch $version")" \
  -D UpgradeCode="$upgrade" -D Win64="$win64" -D ProgramFilesDir="$programfiles" \
  -D QorTreeViewOcx=QorTreeView.ocx -D Demo=QorTreeViewDemo.exe \
  -D Server=OrraWebServer.exe -D Readme=README.md \
  -D ShortcutGuid="$(guid "$package $arch shortcut")" \
  "${sources[@]}"
# wixl writes the root HKMU as 4; Windows Installer's value for it is -1
# (HKCU per user, HKLM with ALLUSERS=1).
# shellcheck disable=SC2016 # SQL quotes, not the shell's
msibuild "$out" -q 'UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4'
