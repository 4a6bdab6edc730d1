#!/usr/bin/env bash
# msi-test.sh peruser|permachine BUILD_DIR x64|x86 VERSION
# Installs the Windows Installer packages of BUILD_DIR/package with Wine's
# msiexec in a fresh prefix of their own, the way an administrator would.
#   peruser:    both packages with no options: the control's registry values
#               under HKCU equal those that regsvr32 /n /i:user writes (key by
#               key), none under HKLM; repair restores a deleted control; the
#               server's Start-menu shortcut serves the sample site (port 80);
#               msiexec /x leaves no file and no registry key that was not
#               there before.
#   permachine: the control with ALLUSERS=1: its values under HKLM, none under
#               HKCU; a JScript creates it by both ProgIDs; a package of a
#               higher version replaces it in place: one product, new files.
# Prints "ok"/"FAIL" per check; exit code 0 only when all hold.
# Checks read "CHECK && ok WHAT || fail WHY"; ok always succeeds.
# shellcheck disable=SC2015
set -uo pipefail
mode=${1:?peruser|permachine} build=$(cd "${2:?build dir}" && pwd) arch=${3:?x64|x86} version=${4:?version}
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=$build/msi-$mode-prefix
# shellcheck source=../../tools/wine-env.sh
. "$here/tools/wine-env.sh"

[ "$arch" = x64 ] && tag=win64 || tag=win32
control_msi=$build/package/QorTreeView-$version-$tag.msi
server_msi=$build/package/OrraWebServer-$version-$tag.msi
clsid='{008FE325-C99C-4F56-84D5-1EC599B8622E}'
# The system programs of the packages' bitness.
[ "$arch" = x64 ] && sys='C:\windows\system32' || sys='C:\windows\syswow64'

failures=0
ok() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
run() { qor_bounded 120 "$*" "$QOR_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
msiexec() { qor_bounded 180 "msiexec $*" "$QOR_WINE" msiexec "$@" </dev/null >/dev/null 2>&1; }
reg() { run "$sys\\reg.exe" "$@"; }
# reg_export KEY FILE: KEY and everything below it, without the file's header.
reg_export() {
  local out=$WINEPREFIX/drive_c/qor-export.reg
  rm -f "$out"
  run "$sys\\reg.exe" export "$1" 'C:\qor-export.reg' /y >/dev/null
  if [ -f "$out" ]; then iconv -f UTF-16 -t UTF-8 "$out" | tr -d '\r' | tail -n +2 >"$2"; else : >"$2"; fi
  rm -f "$out"
}
# snapshot FILE: every file of the prefix's drive and every registry key,
# once the wineserver has written the registry out.
snapshot() {
  qor_bounded 60 "the wineserver to exit" /usr/lib/wine/wineserver -w
  { (cd "$WINEPREFIX/drive_c" && find . -type f | sed 's/^/file /')
    sed -n 's/^\[\(.*\)\].*/key \1/p' "$WINEPREFIX"/{system,user}.reg; } | LC_ALL=C sort >"$1"
}

rm -rf "$WINEPREFIX"
if ! qor_make_prefix; then echo "FAIL Wine could not create $WINEPREFIX"; exit 1; fi
trap 'qor_end_wine >/dev/null; rm -rf "$WINEPREFIX"' EXIT
work=$WINEPREFIX/test
mkdir -p "$work"

if [ "$mode" = peruser ]; then
  snapshot "$work/before"
  msiexec /i "$(winpath "$control_msi")" /qn && ok "the control's package installs per user" ||
    fail "msiexec /i $control_msi"
  msiexec /i "$(winpath "$server_msi")" /qn && ok "the server's package installs per user" ||
    fail "msiexec /i $server_msi"
  dir=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/QorTreeView' -type d | head -1)
  ocx=$dir/QorTreeView.ocx
  [ -f "$ocx" ] && ok "the control is in the user's programs" || fail "no $ocx"
  reg_export 'HKCU\Software\Classes' "$work/msi.reg"
  grep -q "InprocServer32" "$work/msi.reg" && ok "the class is registered under HKCU" ||
    fail "no class under HKCU\\Software\\Classes"
  ! reg query "HKLM\\Software\\Classes\\CLSID\\$clsid" >/dev/null && ok "nothing under HKLM" ||
    fail "the class is registered under HKLM"

  # Repair (what msiexec /fomus asks for, which Wine's msiexec does not pass on).
  rm -f "$ocx"
  msiexec /i "$(winpath "$control_msi")" REINSTALL=ALL REINSTALLMODE=omus /qn
  [ -f "$ocx" ] && ok "repair restores a deleted control" || fail "repair left $ocx missing"

  # The shortcut's target, started as the shell starts it, serves the sample site.
  lnk=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/OrraWebServer/*.lnk' | head -1)
  if [ -z "$lnk" ]; then
    fail "no Start-menu shortcut"
  else
    ok "the Start-menu shortcut exists"
    run start /unix "$lnk" >/dev/null
    body=""
    for _ in $(seq 60); do
      body=$(curl -s --max-time 5 http://127.0.0.1/tree.txt) && [ -n "$body" ] && break
      sleep 0.5
    done
    site=$(find "$WINEPREFIX/drive_c/users" -path '*/Programs/OrraWebServer/site/tree.txt' | head -1)
    [ -n "$body" ] && [ "$body" = "$(cat "$site")" ] && ok "the shortcut serves the installed sample site" ||
      fail "the shortcut's server did not answer with the sample site's tree.txt"
    run taskkill /im OrraWebServer.exe >/dev/null
  fi

  msiexec /x "$(winpath "$control_msi")" /qn && msiexec /x "$(winpath "$server_msi")" /qn &&
    ok "both packages uninstall" || fail "msiexec /x"
  snapshot "$work/after"
  # Added files and keys; Windows Installer keeps the empty folders of its own
  # product lists once it has made them.
  installer='Software\\\\Microsoft\\\\(Windows\\\\CurrentVersion\\\\)?Installer\\\\(UserData\\\\[^\\]*\\\\)?'
  left=$(diff "$work/before" "$work/after" | grep '^>' |
         grep -Ev "^> key $installer(Features|Products|UpgradeCodes|Components)\$")
  [ -z "$left" ] && ok "removal leaves the prefix as it was" ||
    fail "removal left differences (> added, < gone): $(head -20 <<<"$left")"

  # What regsvr32 writes for the control at the same place, per user.
  mkdir -p "$dir"
  cp "$build/installer/QorTreeView/QorTreeView.ocx" "$ocx"
  ocx_win=$(run winepath -w "$ocx")
  run "$sys\\regsvr32.exe" /s /n /i:user "$ocx_win" >/dev/null
  reg_export 'HKCU\Software\Classes' "$work/regsvr32.reg"
  run "$sys\\regsvr32.exe" /s /u /n /i:user "$ocx_win" >/dev/null
  if [ "$(grep -c . "$work/regsvr32.reg")" -gt 10 ] && diff "$work/msi.reg" "$work/regsvr32.reg" >"$work/reg.diff"; then
    ok "the package writes exactly the values that regsvr32 writes"
  else
    fail "the package's values differ from regsvr32's: $(head -30 "$work/reg.diff")"
  fi
else
  msiexec /i "$(winpath "$control_msi")" ALLUSERS=1 /qn && ok "the control's package installs per machine" ||
    fail "msiexec /i $control_msi ALLUSERS=1"
  path=$(reg query "HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve | sed -n 's/.*REG_SZ *//p')
  case "$path" in
    *'Program Files'*'\QorTreeView\QorTreeView.ocx') ok "the class is registered under HKLM in Program Files" ;;
    *) fail "HKLM names the control as '$path'" ;;
  esac
  ! reg query "HKCU\\Software\\Classes\\CLSID\\$clsid" >/dev/null && ok "nothing under HKCU" ||
    fail "the class is registered under HKCU"

  # creatable: the ProgIDs a JScript names it by, created and asked a property.
  creatable() {
    printf '%s\r\n' 'var ids = ["QORTREEVIEW.QorTreeViewCtrl", "QORTREEVIEW.QorTreeViewCtrl.1"];' \
      'for (var i = 0; i < ids.length; i++) {' \
      '  var c = new ActiveXObject(ids[i]);' \
      '  WScript.Echo(ids[i] + " ShowError=" + c.ShowError);' \
      '}' >"$WINEPREFIX/drive_c/qor-progids.js"
    run "$sys\\cscript.exe" //nologo 'C:\qor-progids.js'
  }
  out=$(creatable)
  want=$'QORTREEVIEW.QorTreeViewCtrl ShowError=false\nQORTREEVIEW.QorTreeViewCtrl.1 ShowError=false'
  [ "$out" = "$want" ] && ok "a JScript creates the control by both ProgIDs" ||
    fail "the JScript printed: $out"

  # The same package of a higher version, with a README that says so.
  next=${version%.*}.$((${version##*.} + 1))
  cp -r "$build/installer/QorTreeView" "$work/stage"
  echo "Version $next" >>"$work/stage/README.md"
  if bash "$here/installer/make-msi.sh" QorTreeView "$arch" "$next" "$work/stage" "$work/next.msi" >/dev/null 2>&1; then
    msiexec /i "$(winpath "$work/next.msi")" ALLUSERS=1 /qn || fail "msiexec /i of version $next"
    installed=$(dirname "$(run winepath -u "$path")")
    tail -1 "$installed/README.md" | grep -qx "Version $next" && ok "the upgrade puts the new files in place" ||
      fail "the README of version $next is not in $installed"
    # Products of either bitness, in both views of the registry.
    uninstall=$(for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
                           'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'; do
                  run 'C:\windows\system32\reg.exe' query "$key" /s
                done)
    products=$(grep -c 'DisplayName.*QorTreeView' <<<"$uninstall")
    versions=$(grep 'DisplayVersion' <<<"$uninstall" | tr -s ' ' | cut -d' ' -f4 | tr '\n' ' ')
    [ "$products" = 1 ] && ok "one product is installed after the upgrade" ||
      fail "$products products named QorTreeView installed (versions: $versions)"
    [ "$(creatable)" = "$want" ] && ok "the upgraded control is created by both ProgIDs" ||
      fail "after the upgrade the JScript printed: $(creatable)"
  else
    fail "could not build version $next"
  fi
fi
exit $((failures > 0))
