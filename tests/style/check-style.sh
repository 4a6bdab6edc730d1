#!/usr/bin/env bash
# check-style.sh format|shell|layers|fuzz SOURCE_DIR
# format: every tracked C++ file is as .clang-format lays it out.
# shell:  every tracked shell script passes shellcheck.
# layers: every include in the components names its part (lib/, framework/,
#         ...), and no layer includes one above it.
# fuzz:   the fuzz targets, built by hand only, still compile natively.
# Prints the files at fault and the command that fixes or shows them.
set -euo pipefail
mode=${1:?format|shell}; cd "${2:?source dir}"
case $mode in
format)
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
  bad=()
  for f in "${files[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done
  if [ ${#bad[@]} -gt 0 ]; then
    printf 'not in the house style: %s\n' "${bad[@]}"
    echo "fix with: clang-format -i \$(git ls-files '*.cpp' '*.h')"
    exit 1
  fi
  echo "${#files[@]} C++ files in the house style"
  ;;
shell)
  mapfile -t files < <(git ls-files '*.sh')
  if ! shellcheck "${files[@]}"; then
    echo "see: shellcheck \$(git ls-files '*.sh')"
    exit 1
  fi
  echo "${#files[@]} shell scripts pass shellcheck"
  ;;
layers)
  # What each folder may include. ids/ holds the module's constants, which
  # the tree (its popup menu) and the control both read.
  declare -A allowed=(
    [webserver/lib]='lib/' [webserver/http]='lib/|http/' [webserver/app]='lib/|http/|app/'
    [treeview/framework]='framework/' [treeview/ids]='framework/|ids/'
    [treeview/tree]='framework/|ids/|tree/'
    [treeview/control]='framework/|ids/|tree/|control/'
    [treeview/module]='framework/|ids/|tree/|control/|module/')
  faults=0
  for dir in "${!allowed[@]}"; do
    while IFS= read -r hit; do
      echo "$hit: includes outside ${allowed[$dir]//|/ }"
      faults=1
    done < <(git grep -n '^#include "' -- "$dir/*.h" "$dir/*.cpp" |
      grep -Ev "#include \"(${allowed[$dir]})" || true)
  done
  [ $faults = 0 ] || { echo "see the include scheme in docs/development.md"; exit 1; }
  echo "includes follow the layers"
  ;;
fuzz)
  # The same sources and include paths as fuzz/run.sh, with the system
  # compiler: a renamed header breaks the build here, not on the next fuzz run.
  flags=(-std=c++17 -fsyntax-only -Wall -Wextra -Wshadow -Werror)
  for target in FuzzRequest FuzzText; do
    g++ "${flags[@]}" -Ifuzz/shim -Iwebserver "fuzz/$target.cpp" webserver/http/HttpText.cpp
  done
  g++ "${flags[@]}" -Ifuzz/shim -Iwebserver fuzz/FuzzAnswer.cpp webserver/http/FileAnswer.cpp \
      webserver/http/HttpDate.cpp webserver/http/HttpRange.cpp webserver/http/MediaTypes.cpp \
      webserver/http/HttpText.cpp
  g++ "${flags[@]}" -Itreeview fuzz/FuzzFields.cpp treeview/tree/FieldSplitter.cpp
  echo "the fuzz targets compile"
  ;;
*) echo "usage: check-style.sh format|shell|layers|fuzz SOURCE_DIR" >&2; exit 2 ;;
esac
