#!/usr/bin/env bash
# bench/run.sh [BUILD_DIR] [SECONDS]
# Loads OrraWebServer.exe (under Wine, port 80), the yardstick (a bare
# blocking Win32 server of ours, bench/yardstick/, under the same Wine) with
# 8 KiB pieces (port 8090) and with 64 KiB pieces (port 8091), and Debian's
# nginx (port 8089) in the same run with the same files: wrk with keep-alive
# for 1 KiB, 64 KiB and 16 MiB on 1 and 5 connections, and ab without
# keep-alive for 1 KiB; each figure is the median of 3 runs (BENCH_RUNS).
# Then many clients, against the 8 KiB yardstick and nginx: wrk with 20, 50
# and 100 kept-alive connections (p99 and errors), ab with 50 clients
# without keep-alive right after a storm of 100 kept-alive ones, headless
# Chromium loading a page of 120 small images (its navigation timing), and
# the server on [::1]. Reports the server's memory (resident set of its
# Wine process) during the run. Writes docs/performance.md.
# Installs wrk, nginx and apache2-utils when missing. Holds the port-80 lock
# (/tmp/qor-port80.lock) while it runs.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$here/build/win64}" && pwd)
secs=${2:-5}
runs=${BENCH_RUNS:-3}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$secs"
fi
need=()
command -v wrk >/dev/null || need+=(wrk)
command -v nginx >/dev/null || need+=(nginx)
command -v ab >/dev/null || need+=(apache2-utils)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
fi

work=$(mktemp -d)
chmod 755 "$work"   # nginx's workers run as nobody
site=$work/site
mkdir -p "$site" "$work/nginx"
head -c 1024 /dev/urandom >"$site/1k.bin"
head -c 65536 /dev/urandom >"$site/64k.bin"
head -c 16777216 /dev/urandom >"$site/16m.bin"
# A page of 120 small images, as a browser meets one; its load time is the
# navigation timing's, written into the page for --dump-dom to show.
mkdir -p "$site/page"
python3 - "$site/page" <<'PY'
import struct, sys, zlib
def png(seed):
    raw = b"".join(b"\0" + bytes((seed * 7 + x * 3 + y) & 255 for x in range(48)) for y in range(16))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
folder = sys.argv[1]
for i in range(120):
    open(f"{folder}/i{i}.png", "wb").write(png(i))
imgs = "".join(f'<img src="i{i}.png" width="16" height="16">' for i in range(120))
open(f"{folder}/index.html", "w").write(
    "<!doctype html><html><body>" + imgs + "<script>addEventListener('load', () => setTimeout(() => {"
    " const t = performance.getEntriesByType('navigation')[0];"
    " document.body.setAttribute('data-load-ms', Math.round(t.loadEventStart)); }, 0));"
    "</script></body></html>")
PY

cat >"$work/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 256; }
http {
  access_log off;
  sendfile on;
  keepalive_requests 100000;
  client_body_temp_path $work/nginx;
  proxy_temp_path $work/nginx;
  fastcgi_temp_path $work/nginx;
  uwsgi_temp_path $work/nginx;
  scgi_temp_path $work/nginx;
  server { listen 127.0.0.1:8089; listen [::1]:8089; root $site; }
}
CONF

# The yardstick is one small file; built here so the benchmark needs nothing
# from the build tree beyond the server.
x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -municode -static -o "$work/yardstick.exe" \
    "$here/bench/yardstick/Yardstick.cpp" -lmswsock -lws2_32

. "$here/tools/wine-session.sh"
wine_session "$build"

nginx_pid='' server_pid='' yard_pid='' sampler_pid=''
cleanup() {
  if [ -n "$sampler_pid" ]; then kill "$sampler_pid" 2>/dev/null || true; fi
  if [ -n "$nginx_pid" ]; then kill "$nginx_pid" 2>/dev/null || true; fi
  if [ -n "$server_pid" ]; then qor_wine taskkill /f /im OrraWebServer.exe >/dev/null 2>&1 || true; fi
  if [ -n "$yard_pid" ]; then qor_wine taskkill /f /im yardstick.exe >/dev/null 2>&1 || true; fi
  qor_end_wine
  rm -rf "$work"
}
trap cleanup EXIT
nginx -c "$work/nginx/nginx.conf" &
nginx_pid=$!
"$QOR_WINE" "$build/bin/OrraWebServer.exe" "$(qor_wine winepath -w "$site")\\" </dev/null >/dev/null 2>&1 &
server_pid=$!
"$QOR_WINE" "$work/yardstick.exe" 8090 "$(qor_wine winepath -w "$site")\\" </dev/null >/dev/null 2>&1 &
yard_pid=$!
"$QOR_WINE" "$work/yardstick.exe" 8091 "$(qor_wine winepath -w "$site")\\" 65536 </dev/null >/dev/null 2>&1 &
for _ in $(seq 100); do
  curl -sf -o /dev/null --max-time 2 http://127.0.0.1/1k.bin && curl -sf -o /dev/null --max-time 2 http://127.0.0.1:8089/1k.bin &&
    curl -sf -o /dev/null --max-time 2 http://127.0.0.1:8090/1k.bin &&
    curl -sf -o /dev/null --max-time 2 http://127.0.0.1:8091/1k.bin && break
  sleep 0.2
done
for port in 80 8089 8090 8091; do
  cmp -s "$site/16m.bin" <(curl -s --max-time 60 "http://127.0.0.1:$port/16m.bin") ||
    { echo "port $port does not serve the files" >&2; exit 1; }
done

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# wrk_figure URL CONNS -> "req/s MB/s errors p99-ms" (medians; errors summed)
wrk_figure() {
  local url=$1 conns=$2 out=$work/wrk.txt
  : >"$out"
  for _ in $(seq "$runs"); do
    wrk -t1 -c"$conns" -d"${secs}s" --timeout 10s -s "$here/bench/report.lua" "$url" |
      awk '/^RESULT/ { print $2, $3, $5, $6 }' >>"$out"
  done
  echo "$(cut -d' ' -f1 "$out" | median) $(cut -d' ' -f2 "$out" | median) $(awk '{ e += $3 } END { print e }' "$out") $(cut -d' ' -f4 "$out" | median)"
}

# storm_ab URL -> "req/s failed slowest-connect-ms longest-ms": 100
# kept-alive wrk clients for the run's seconds, then at once ab with 50
# clients without keep-alive (3,000 requests); medians, failures summed.
storm_ab() {
  local url=$1 out=$work/storm.txt
  : >"$out"
  for _ in $(seq "$runs"); do
    wrk -t1 -c100 -d"${secs}s" --timeout 10s "$url" >/dev/null 2>&1 || true
    timeout 120 ab -q -s 10 -n 3000 -c 50 "$url" 2>&1 |
      awk '/^Requests per second/ { r = $4 } /^Failed requests/ { f = $3 }
           /^Complete requests/ { c = $3 } /^Connect:/ { m = $6 } /100%/ { l = $2 }
           END { if (r == "") { r = 0; f = 3000 - c }; print r, f, m, l }' >>"$out"
  done
  echo "$(cut -d' ' -f1 "$out" | median) $(awk '{ f += $2 } END { print f }' "$out") $(cut -d' ' -f3 "$out" | sort -g | tail -1) $(cut -d' ' -f4 "$out" | median)"
}

# page_times -> "server yardstick nginx": the median load times (ms) of the
# 120-image page in headless Chromium, a fresh profile each time. The three
# are loaded in turn, at least five times each, so that a slow spell of the
# machine (Chromium itself takes most of both cores) falls on all alike.
page_times() {
  local port i
  for port in 80 8090 8089; do : >"$work/page-$port.txt"; done
  for i in $(seq $((runs > 5 ? runs : 5))); do
    for port in 80 8090 8089; do
      timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$work/profile-$i-$port" --dump-dom "http://127.0.0.1:$port/page/index.html" 2>/dev/null |
        sed -n 's/.*data-load-ms="\([0-9]*\)".*/\1/p' >>"$work/page-$port.txt" || true
    done
  done
  for port in 80 8090 8089; do
    if [ -s "$work/page-$port.txt" ]; then median <"$work/page-$port.txt"; else echo "?"; fi
  done | paste -sd' '
}

# ab_figure URL -> "req/s failed" (median req/s; failures summed)
ab_figure() {
  local url=$1 out=$work/ab.txt
  : >"$out"
  for _ in $(seq "$runs"); do
    ab -q -n 2000 -c 1 "$url" 2>&1 |
      awk '/^Requests per second/ { r = $4 } /^Failed requests/ { f = $3 } END { print r, f }' >>"$out"
  done
  echo "$(cut -d' ' -f1 "$out" | median) $(awk '{ f += $2 } END { print f }' "$out")"
}

# The server's resident set, sampled every half second while the runs go.
# The Wine process is the largest of those naming the program (launchers too).
server_linux_pid=$(for p in $(pgrep -f 'OrraWebServer\.exe'); do
  echo "$(awk '/VmRSS/ { print $2 }' "/proc/$p/status" 2>/dev/null || echo 0) $p"
done | sort -n | tail -1 | cut -d' ' -f2)
: >"$work/rss.txt"
while kill -0 "$server_linux_pid" 2>/dev/null; do
  awk '/VmRSS/ { print $2 }' "/proc/$server_linux_pid/status" >>"$work/rss.txt" 2>/dev/null || true
  sleep 0.5
done &
sampler_pid=$!

load=$(cut -d' ' -f1-3 /proc/loadavg)
rows=()
for file in 1k 64k 16m; do
  for conns in 1 5; do
    read -r ours_rps ours_bps ours_err < <(wrk_figure "http://127.0.0.1/$file.bin" "$conns")
    read -r yard_rps yard_bps _ < <(wrk_figure "http://127.0.0.1:8090/$file.bin" "$conns")
    read -r big_rps big_bps _ < <(wrk_figure "http://127.0.0.1:8091/$file.bin" "$conns")
    read -r ngx_rps ngx_bps _ < <(wrk_figure "http://127.0.0.1:8089/$file.bin" "$conns")
    rows+=("$(awk -v f="$file" -v c="$conns" -v a="$ours_rps" -v b="$ours_bps" -v e="$ours_err" \
      -v y="$yard_rps" -v z="$yard_bps" -v p="$big_rps" -v q="$big_bps" -v n="$ngx_rps" -v m="$ngx_bps" 'BEGIN {
        printf "| wrk, keep-alive | %s | %d | %.0f | %.1f | %d | %.0f | %.1f | **%.2f** | %.0f | %.1f | **%.2f** | %.0f | %.1f | **%.3f** |",
               f, c, a, b / 1e6, e, y, z / 1e6, a / y, p, q / 1e6, a / p, n, m / 1e6, a / n }')")
    echo "${rows[-1]}"
  done
done
read -r ours_rps ours_fail < <(ab_figure http://127.0.0.1/1k.bin)
read -r yard_rps _ < <(ab_figure http://127.0.0.1:8090/1k.bin)
read -r big_rps _ < <(ab_figure http://127.0.0.1:8091/1k.bin)
read -r ngx_rps _ < <(ab_figure http://127.0.0.1:8089/1k.bin)
rows+=("$(awk -v a="$ours_rps" -v f="$ours_fail" -v y="$yard_rps" -v p="$big_rps" -v n="$ngx_rps" 'BEGIN {
  printf "| ab, no keep-alive | 1k | 1 | %.0f | %.1f | %d failed | %.0f | %.1f | **%.2f** | %.0f | %.1f | **%.2f** | %.0f | %.1f | **%.3f** |",
         a, a * 1024 / 1e6, f, y, y * 1024 / 1e6, a / y, p, p * 1024 / 1e6, a / p, n, n * 1024 / 1e6, a / n }')")
echo "${rows[-1]}"

# Many clients: the server against the 8 KiB yardstick and nginx.
many=()
for conns in 20 50 100; do
  read -r ours_rps _ ours_err ours_p99 < <(wrk_figure "http://127.0.0.1/1k.bin" "$conns")
  read -r yard_rps _ yard_err yard_p99 < <(wrk_figure "http://127.0.0.1:8090/1k.bin" "$conns")
  read -r ngx_rps _ ngx_err ngx_p99 < <(wrk_figure "http://127.0.0.1:8089/1k.bin" "$conns")
  many+=("$(awk -v c="$conns" -v a="$ours_rps" -v e="$ours_err" -v p="$ours_p99" -v y="$yard_rps" \
    -v f="$yard_err" -v q="$yard_p99" -v n="$ngx_rps" -v g="$ngx_err" -v r="$ngx_p99" 'BEGIN {
    printf "| wrk, keep-alive, 1k | %d | %.0f | %.1f ms | %d | %.0f | %.1f ms | %d | **%.2f** | %.0f | %.1f ms | %d | **%.3f** |",
           c, a, p, e, y, q, f, a / y, n, r, g, a / n }')")
  echo "${many[-1]}"
done
read -r ours_rps ours_fail ours_conn ours_long < <(storm_ab http://127.0.0.1/1k.bin)
read -r yard_rps yard_fail yard_conn yard_long < <(storm_ab http://127.0.0.1:8090/1k.bin)
read -r ngx_rps ngx_fail ngx_conn ngx_long < <(storm_ab http://127.0.0.1:8089/1k.bin)
many+=("$(awk -v a="$ours_rps" -v e="$ours_fail" -v m="$ours_conn" -v l="$ours_long" -v y="$yard_rps" \
  -v f="$yard_fail" -v n="$yard_conn" -v k="$yard_long" -v x="$ngx_rps" -v g="$ngx_fail" -v o="$ngx_conn" -v j="$ngx_long" 'BEGIN {
  printf "| ab after a storm, no keep-alive, 1k | 50 | %.0f | connect ≤ %d ms, longest %d ms | %d failed | %.0f | connect ≤ %d ms, longest %d ms | %d failed | **%.2f** | %.0f | connect ≤ %d ms, longest %d ms | %d failed | **%.3f** |",
         a, m, l, e, y, n, k, f, (y > 0 ? a / y : 0), x, o, j, g, (x > 0 ? a / x : 0) }')")
echo "${many[-1]}"
read -r ours_page yard_page ngx_page < <(page_times)
many+=("$(awk -v a="$ours_page" -v y="$yard_page" -v n="$ngx_page" 'BEGIN {
  printf "| Chromium, page of 120 images, load ms | 6 | %s ms | | | %s ms | | | **%.2f** | %s ms | | | **%.2f** |",
         a, y, (a > 0 ? y / a : 0), n, (a > 0 ? n / a : 0) }')")
echo "${many[-1]}"
read -r v6_rps _ v6_err v6_p99 < <(wrk_figure "http://[::1]/1k.bin" 5)
read -r v4_rps _ _ v4_p99 < <(wrk_figure "http://127.0.0.1/1k.bin" 5)
read -r n6_rps _ n6_err n6_p99 < <(wrk_figure "http://[::1]:8089/1k.bin" 5)
v6_row=$(awk -v a="$v6_rps" -v e="$v6_err" -v p="$v6_p99" -v b="$v4_rps" -v q="$v4_p99" -v n="$n6_rps" -v r="$n6_p99" -v g="$n6_err" 'BEGIN {
  printf "| wrk, keep-alive, 1k, [::1] | 5 | %.0f | %.1f ms | %d | %.0f (127.0.0.1) | %.1f ms | | **%.2f** | %.0f | %.1f ms | %d | **%.3f** |",
         a, p, e, b, q, a / b, n, r, g, a / n }')
echo "$v6_row"

kill "$sampler_pid" 2>/dev/null || true
sampler_pid=''
rss_max=$(sort -n "$work/rss.txt" | tail -1)
echo "server resident set: at most ${rss_max:-?} KiB"

cpu=$(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)
section=$work/server-section.md
{
  echo "# Performance"
  echo
  echo "Measured with \`bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'):"
  echo "$cpu, $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) RAM,"
  echo "$(. /etc/os-release; echo "$PRETTY_NAME"), $(qor_wine --version), $(nginx -v 2>&1 | sed 's/.*: //'),"
  echo "$(wrk -v 2>&1 | head -1 | awk '{ print $1, $2 }'), ab $(ab -V | awk '/Version/ { print $5; exit }')."
  echo
  echo "Command: \`bench/run.sh ${build#"$here"/} $secs\` (wrk: \`wrk -t1 -cN -d${secs}s\`;"
  echo "ab: \`ab -n 2000 -c 1\`). OrraWebServer.exe runs under Wine on port 80; nginx"
  echo "(one worker, sendfile on) serves the same files on 127.0.0.1:8089 in the same run,"
  echo "and so does the yardstick (\`bench/yardstick/Yardstick.cpp\`: a bare blocking Win32"
  echo "server, one thread per connection, blocking \`recv\`, \`CreateFile\`, 8 KiB \`ReadFile\`"
  echo "+ \`send\`, the head sent apart, \`TCP_NODELAY\`) under the same Wine on 127.0.0.1:8090,"
  echo "and the same yardstick sending 64 KiB pieces on 127.0.0.1:8091."
  echo "Each figure is the median of $runs runs; errors are summed over the runs."
  echo "Load average when the runs began: $load (other work on the machine skews the figures)."
  echo
  echo "| client | file | connections | OrraWebServer req/s | MB/s | errors | yardstick 8 KiB req/s | MB/s | ratio | yardstick 64 KiB req/s | MB/s | ratio | nginx req/s | MB/s | ratio |"
  echo "| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
  printf '%s\n' "${rows[@]}"
  echo
  echo "MB/s counts the bytes wrk received (heads and bodies) in millions per second;"
  echo "for ab it is 1 KiB bodies times requests per second. Under Wine every \`send\`"
  echo "costs roughly 100 µs, which bounds the server's figures here; nginx runs"
  echo "natively with \`sendfile\`, so the ratio measures Wine as much as the server."
  echo
  echo "Each ratio is OrraWebServer's requests per second over the peer's in that row."
  echo "The server's resident set (its Wine process, \`VmRSS\`, sampled every 0.5 s over"
  echo "all the runs above, five busy workers included) peaked at ${rss_max:-?} KiB."
  echo
  echo "## Server: many clients"
  echo
  echo "The same run, 1 KiB: wrk with 20, 50 and 100 kept-alive connections; ab with"
  echo "50 clients without keep-alive (\`ab -n 3000 -c 50\`) started the moment 100"
  echo "kept-alive wrk clients have run for ${secs} s; headless Chromium loading a page of"
  echo "120 small PNG images (six connections, a fresh profile each time; the"
  echo "navigation timing's \`loadEventStart\`; the median of at least five loads,"
  echo "the three servers loaded in turn); and wrk on the server's IPv6 loopback."
  echo "p99 is wrk's 99th percentile of latency; errors count wrk's connect, read"
  echo "(a connection closed under a request), write, status and time-out errors."
  echo "For the page the ratio is the peer's load time over the server's (above 1:"
  echo "the server is faster); on the [::1] row the middle columns are the server"
  echo "itself on 127.0.0.1 in the same run."
  echo
  echo "| client | connections | OrraWebServer req/s | p99 | errors | yardstick 8 KiB req/s | p99 | errors | ratio | nginx req/s | p99 | errors | ratio |"
  echo "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
  printf '%s\n' "${many[@]}"
  echo "$v6_row"
  echo
  echo "Targets (measured, not asserted by tests): 16 MiB on five connections at least"
  echo "0.8 of nginx; 1 KiB on one and on five kept-alive connections at least 1.5 times"
  echo "the 8 KiB yardstick; ab without keep-alive with no failed request; no row lower"
  echo "than in the run before. Many clients: kept-alive with no connection closed"
  echo "under a request, p99 at most 50 ms and at least 1.5 times the yardstick; 50"
  echo "clients without keep-alive after a storm with every request answered, no"
  echo "connect slower than 500 ms, at least 1.2 times the yardstick; the page within"
  echo "1.25 times nginx's load time."
} >"$section"
# The file's later sections (the control's figures) belong to other benchmarks.
doc=$here/docs/performance.md
rest=$work/rest.md
: >"$rest"
[ -f "$doc" ] && sed -n '/^## /,$p' "$doc" | awk '/^## Server: many clients/ { skip = 1; next } /^## / { skip = 0 } !skip' >"$rest"
{ cat "$section"; [ -s "$rest" ] && { echo; cat "$rest"; }; } >"$doc"
echo "wrote the server's section of docs/performance.md"
