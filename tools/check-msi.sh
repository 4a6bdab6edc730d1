#!/usr/bin/env bash
# check-msi.sh MSI FILE[,FILE...]
# Checks one Windows Installer package and lists its essential rows: it is
# named <Product>-<version>-win64|win32.msi and built for that architecture;
# it installs per user unless ALLUSERS=1 is given (no ALLUSERS property),
# replaces older versions of its upgrade code (Upgrade table, and
# RemoveExistingProducts), self-registers nothing; it holds every listed
# file, relative to the product's folder; its registry rows are written
# under HKCU or HKLM as the install goes (root -1) and, for the control,
# name the class, both ProgIDs and its MiscStatus; the server's shortcut
# starts the program on the installed site. Exit code 0 only when all holds.
set -euo pipefail
msi=${1:?msi}
IFS=, read -r -a wanted <<<"${2:?file list}"
fail=0
bad() { echo "check-msi: $*" >&2; fail=1; }
[ -f "$msi" ] || { echo "check-msi: no package $msi" >&2; exit 1; }
name=$(basename "$msi" .msi)
case "$name" in
  QorTreeView-*-win64 | OrraWebServer-*-win64) template='x64;1033' syskind=win64 ;;
  QorTreeView-*-win32 | OrraWebServer-*-win32) template='Intel;1033' syskind=win32 ;;
  *) echo "check-msi: unexpected package name $name" >&2; exit 1 ;;
esac
product=${name%%-*}

# table NAME: the rows of a table, without its three header lines.
table() { msiinfo export "$msi" "$1" 2>/dev/null | tr -d '\r' | tail -n +4; }
value() { table Property | awk -F'\t' -v p="$1" '$1 == p { print $2 }'; }

got=$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')
[ "$got" = "$template" ] || bad "$name is built for '$got', not $template"
for p in ProductCode UpgradeCode ProductVersion; do
  [ -n "$(value "$p")" ] || bad "no $p"
done
[ -z "$(value ALLUSERS)" ] || bad "ALLUSERS is set ($(value ALLUSERS)): the package would not install per user"
upgrade=$(value UpgradeCode)
table Upgrade | grep -q "^$upgrade" || bad "the Upgrade table does not name the upgrade code $upgrade"
table InstallExecuteSequence | grep -q '^RemoveExistingProducts' || bad "no RemoveExistingProducts"
[ -z "$(table SelfReg)" ] || bad "self-registration (SelfReg rows): $(table SelfReg | head -3)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
msiextract -C "$work" "$msi" >/dev/null || bad "msiextract cannot read $name"
for f in "${wanted[@]}"; do
  [ -f "$work/Programs/$product/$f" ] || bad "$f missing from $name"
done

registry=$(table Registry)
while IFS=$'\t' read -r _ root key rest; do
  [ "$root" = -1 ] || bad "registry row under root $root, not -1 (per user or per machine): $key"
done <<<"$registry"
if [ "$product" = QorTreeView ]; then
  clsid='Software\Classes\CLSID\{008FE325-C99C-4F56-84D5-1EC599B8622E}'
  for want in "$clsid\\InprocServer32		[#QorTreeView.ocx]" \
              "Software\\Classes\\QORTREEVIEW.QorTreeViewCtrl.1\\CLSID		{008FE325" \
              "Software\\Classes\\QORTREEVIEW.QorTreeViewCtrl\\CurVer		QORTREEVIEW.QorTreeViewCtrl.1" \
              "$clsid\\MiscStatus\\1		131473" "$clsid\\Control	" \
              "\\1.0\\0\\$syskind		[#QorTreeView.ocx]"; do
    grep -qF -- "$want" <<<"$registry" || bad "no registry row $want"
  done
else
  grep -qF "[#OrraWebServer.exe]	\"[OrraWebServer.site]\"" <<<"$(table Shortcut)" ||
    bad "no shortcut that starts OrraWebServer.exe on the installed site"
fi

if [ $fail = 0 ]; then
  echo "check-msi: $name: version $(value ProductVersion), product $(value ProductCode), upgrade code $upgrade, ${#wanted[@]} listed files present"
  echo "  per user by default, per machine with ALLUSERS=1; older versions removed (Upgrade, RemoveExistingProducts); no SelfReg"
  echo "  Component: $(table Component | wc -l) ($(table Component | cut -f1 | head -4 | tr '\n' ' ')...)"
  echo "  Registry (root -1, HKCU per user or HKLM per machine): $(wc -l <<<"$registry") rows"
  awk -F'\t' '$3 ~ /(InprocServer32|ProgID|CurVer|MiscStatus.1|.Control|win32|win64)$/ {
    print "    " $3 (length($4) ? " [" $4 "]" : "") " = " $5 }' <<<"$registry"
  [ -z "$(table Shortcut)" ] || table Shortcut | cut -f2,3,5,6 | sed 's/^/  Shortcut: /'
fi
exit $fail
