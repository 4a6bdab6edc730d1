#!/usr/bin/env bash
# check-msi-test.sh CHECKER CONTROL.msi SERVER.msi
# The built packages pass the package checker, which lists their essential
# rows; copies of the control's package with known faults (a registry row
# under wixl's wrong root for HKMU, self-registration, ALLUSERS set, a file
# left out) are refused.
set -uo pipefail
checker=$1 control=$2 server=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
control_files=QorTreeView.ocx,QorTreeViewDemo.exe,README.md,docs/control.md,docs/installers.md,site/tree.txt
server_files=OrraWebServer.exe,README.md,docs/user-guide.md,docs/installers.md,site/index.html,site/tree.txt
expect() {   # expect WANT(0|1) CASE MSI FILES MESSAGE-PATTERN
  local out rc
  out=$(bash "$checker" "$3" "$4" 2>&1); rc=$?
  if { [ "$1" = 0 ] && [ $rc != 0 ]; } || { [ "$1" = 1 ] && [ $rc = 0 ]; } || ! grep -q -- "$5" <<<"$out"; then
    echo "FAIL $2: exit $rc, output: $out"; failures=$((failures + 1))
  else
    echo "ok   $2"
    [ "$1" = 1 ] || echo "$out"
  fi
}
# faulty NAME SQL...: a copy of the control's package changed by SQL.
faulty() {
  local name=$1 copy args=() sql
  copy=$work/$name/$(basename "$control")
  shift
  mkdir -p "$work/$name"
  cp "$control" "$copy"
  for sql in "$@"; do args+=(-q "$sql"); done
  msibuild "$copy" "${args[@]}"
  echo "$copy"
}

expect 0 "the control's package passes" "$control" "$control_files" "MiscStatus.1 = 131473"
expect 0 "the server's package passes" "$server" "$server_files" "Shortcut:"
expect 1 "a registry row under root 4 is refused" \
  "$(faulty root "UPDATE \`Registry\` SET \`Root\` = 4 WHERE \`Name\` = 'ThreadingModel'")" \
  "$control_files" "not -1"
expect 1 "self-registration is refused" \
  "$(faulty selfreg "CREATE TABLE \`SelfReg\` (\`File_\` CHAR(72) NOT NULL, \`Cost\` INT PRIMARY KEY \`File_\`)" \
     "INSERT INTO \`SelfReg\` (\`File_\`, \`Cost\`) VALUES ('QorTreeView.ocx', 0)")" \
  "$control_files" "SelfReg rows"
expect 1 "a per-machine default is refused" \
  "$(faulty allusers "INSERT INTO \`Property\` (\`Property\`, \`Value\`) VALUES ('ALLUSERS', '1')")" \
  "$control_files" "ALLUSERS is set"
expect 1 "a file left out is named" "$control" "$control_files,docs/missing.md" "docs/missing.md missing"
exit $((failures > 0))
