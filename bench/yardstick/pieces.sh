#!/usr/bin/env bash
# bench/yardstick/pieces.sh [BUILD_DIR] [SECONDS]
# How the way a file is sent weighs under Wine: the yardstick server with
# 8 KiB pieces, with 64 KiB pieces and with TransmitFile, side by side in one
# run (ports 8091 to 8093), loaded with wrk -c5 for 16 MiB and 1 KiB files
# (median of 3 runs each). Prints a Markdown table. Run by hand.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$here/build/win64}" && pwd)
secs=${2:-5}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$secs"
fi
work=$(mktemp -d)
mkdir -p "$work/site"
head -c 1024 /dev/urandom >"$work/site/1k.bin"
head -c 16777216 /dev/urandom >"$work/site/16m.bin"
x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -municode -static -o "$work/yardstick.exe" \
    "$here/bench/yardstick/Yardstick.cpp" -lmswsock -lws2_32
. "$here/tools/wine-session.sh"
wine_session "$build"
trap 'qor_wine taskkill /f /im yardstick.exe >/dev/null 2>&1 || true; qor_end_wine; rm -rf "$work"' EXIT
root="$(qor_wine winepath -w "$work/site")\\"
modes=(8192 65536 transmit)
for i in 0 1 2; do
  "$QOR_WINE" "$work/yardstick.exe" $((8091 + i)) "$root" "${modes[$i]}" </dev/null >/dev/null 2>&1 &
done
for port in 8091 8092 8093; do
  for _ in $(seq 100); do curl -sf -o /dev/null --max-time 2 "http://127.0.0.1:$port/1k.bin" && break; sleep 0.2; done
  cmp -s "$work/site/16m.bin" <(curl -s --max-time 60 "http://127.0.0.1:$port/16m.bin") ||
    { echo "port $port does not serve the files" >&2; exit 1; }
done
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "| file | connections | 8 KiB pieces | 64 KiB pieces | TransmitFile |"
echo "| --- | ---: | ---: | ---: | ---: |"
for file in 16m 1k; do
  row="| $file | 5 |"
  for port in 8091 8092 8093; do
    figure=$(for _ in 1 2 3; do
      wrk -t1 -c5 -d"${secs}s" --timeout 10s -s "$here/bench/report.lua" "http://127.0.0.1:$port/$file.bin" |
        awk -v f="$file" '/^RESULT/ { if (f == "1k") print $2; else print $3 / 1e6 }'
    done | median)
    row="$row $(printf '%.1f' "$figure") $([ "$file" = 1k ] && echo req/s || echo MB/s) |"
  done
  echo "$row"
done
