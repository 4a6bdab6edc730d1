#!/usr/bin/env bash
# check-style.sh format|shell SOURCE_DIR
# format: every tracked C++ file is as .clang-format lays it out.
# shell:  every tracked shell script passes shellcheck.
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
*) echo "usage: check-style.sh format|shell SOURCE_DIR" >&2; exit 2 ;;
esac
