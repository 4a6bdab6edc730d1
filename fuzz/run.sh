#!/usr/bin/env bash
# fuzz/run.sh [SECONDS [TARGET]]
# Builds the server's pure text functions and the control's field splitter
# natively with clang, libFuzzer, AddressSanitizer and UndefinedBehavior-
# Sanitizer, then runs each fuzz target (or only TARGET: FuzzRequest,
# FuzzText, FuzzAnswer, FuzzFields) for SECONDS (default 60) on one core. Not part of
# ./test.sh.
# Corpora and crash files stay in build/fuzz/; a crash stops the script
# with the fuzzer's exit code and names the file that reproduces it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
seconds=${1:-60}
read -r -a targets <<<"${2:-FuzzRequest FuzzText FuzzAnswer FuzzFields}"
out=$root/build/fuzz
mkdir -p "$out"

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  apt-get update
  apt-get install -y --no-install-recommends clang libclang-rt-14-dev
fi

# shellcheck disable=SC2054 # the commas belong to one flag
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Wall -Wextra -Wshadow)
for target in FuzzRequest FuzzText; do
  clang++ "${flags[@]}" -I"$here/shim" -I"$root/webserver" "$here/$target.cpp" \
      "$root/webserver/http/HttpText.cpp" -o "$out/$target"
done
http=$root/webserver/http
clang++ "${flags[@]}" -I"$here/shim" -I"$root/webserver" "$here/FuzzAnswer.cpp" "$http/FileAnswer.cpp" \
    "$http/HttpDate.cpp" "$http/HttpRange.cpp" "$http/MediaTypes.cpp" "$http/HttpText.cpp" \
    -o "$out/FuzzAnswer"
clang++ "${flags[@]}" -I"$root/treeview" "$here/FuzzFields.cpp" "$root/treeview/tree/FieldSplitter.cpp" \
    -o "$out/FuzzFields"

# Seeds: heads the worker meets every day, and the path tricks it refuses.
seeds=$out/seeds-FuzzRequest
mkdir -p "$seeds"
i=0
for head in 'GET / HTTP/1.1\r\n\r\n' 'HEAD /a/b.txt HTTP/1.1\r\nConnection: close\r\n\r\n' \
            'GET /../x HTTP/1.0\r\n\r\n' 'GET /a/.. ./CON.txt HTTP/1.1\r\n\r\n' \
            'GET /x:y HTTP/1.1\r\nConnection: keep-alive, Close\r\n\r\n' 'POST / HTTP/1.1\r\n\r\n'; do
  printf "%b" "$head" >"$seeds/seed$i"; i=$((i + 1))
done

status=0
for target in "${targets[@]}"; do
  corpus=$out/corpus-$target
  mkdir -p "$corpus"
  extra=() opts=()
  # Configuration lines run long; heads stop at 4,095 bytes anyway.
  [ "$target" = FuzzFields ] && opts+=(-max_len=16384)
  [ -d "$out/seeds-$target" ] && extra+=("$out/seeds-$target")
  [ -d "$here/seeds/$target" ] && extra+=("$here/seeds/$target")
  echo "== $target for $seconds s"
  (cd "$out" && "./$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$out/crash-$target-" "${opts[@]}" "$corpus" "${extra[@]}" \
      2>"$out/$target.log") || status=$?
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+.*DONE|Done [0-9]+ runs' "$out/$target.log" || true
  if [ $status != 0 ]; then
    grep -E 'ERROR|fuzz_|Test unit written|SUMMARY' "$out/$target.log" | head -20
    exit $status
  fi
  echo "corpus: $(find "$corpus" -type f | wc -l) inputs"
done
