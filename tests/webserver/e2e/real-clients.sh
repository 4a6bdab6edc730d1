#!/usr/bin/env bash
# real-clients.sh curl|chromium BIN_DIR SITE_DIR [SCREENSHOT]
# Serves SITE_DIR with OrraWebServer.exe under Wine (the caller's WINEPREFIX
# and DISPLAY) and checks it with clients nobody here wrote:
#   curl      every file of the site arrives byte-identical; a missing one
#             gets 404; HTTP/1.0 and keep-alive both work; a cut download
#             resumes (-C -) to the same bytes; an unchanged file is 304 (-z).
#   chromium  headless Chromium loads index.html and its picture (both
#             answered 200) and saves a screenshot; then opens the folder
#             browser-page/ (beside this script, served as /browser) by
#             its name without the slash, renders its SVG image and runs its
#             module scripts. Skipped (exit 77) where Chromium is missing.
# The server is closed with WM_CLOSE (close_server.exe) and must exit 0.
set -euo pipefail
mode=${1:?mode}; bin=$(cd "${2:?bin dir}" && pwd); site=$(cd "${3:?site dir}" && pwd)
shot=${4:-}
: "${WINEPREFIX:?run through tools/dev-ctest.sh or test.sh}"
# shellcheck source=../../../tools/wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../../tools/wine-env.sh"
work=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v curl >/dev/null || fail "curl is not installed"
if [ "$mode" = chromium ]; then
  if ! command -v chromium >/dev/null; then
    echo "SKIPPED: chromium is not installed (tools/setup-deps.sh installs it)"
    exit 77
  fi
  # The sample site with the browser check page as its folder "browser".
  cp -r "$site" "$work/site"
  cp -r "$(dirname "${BASH_SOURCE[0]}")/browser-page" "$work/site/browser"
  site=$work/site
fi
root="$(qor_wine winepath -w "$site")\\"
"$QOR_WINE" "$bin/OrraWebServer.exe" "$root" </dev/null >/dev/null 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  curl -s -o /dev/null --max-time 1 http://127.0.0.1/ && break
  sleep 0.2
done
curl -s -o /dev/null --max-time 2 http://127.0.0.1/ || fail "server does not answer on port 80"

case $mode in
curl)
  count=0
  while IFS= read -r -d '' f; do
    rel=${f#"$site"/}
    code=$(curl -s -o "$work/got" -w '%{http_code}' --max-time 10 "http://127.0.0.1/$rel")
    [ "$code" = 200 ] || fail "$rel: status $code"
    cmp -s "$f" "$work/got" || fail "$rel: bytes differ"
    count=$((count + 1))
  done < <(find "$site" -type f -print0)
  [ "$count" -gt 0 ] || fail "no files in $site"
  cmp -s "$site/index.html" <(curl -s --max-time 5 http://127.0.0.1/) || fail "/ is not index.html"
  code=$(curl -s -o "$work/404" -w '%{http_code}' --max-time 5 http://127.0.0.1/no-such-file.html)
  [ "$code" = 404 ] || fail "missing file: status $code"
  grep -q "Couldn't find file: no-such-file.html" "$work/404" || fail "404 page"
  # One connection for several files, then an HTTP/1.0 client.
  urls=(); for _ in 1 2 3 4 5; do urls+=(http://127.0.0.1/readme.txt); done
  curl -s --max-time 10 "${urls[@]}" -o /dev/null -w '%{num_connects}\n' >"$work/connects"
  [ "$(awk '{ s += $1 } END { print s }' "$work/connects")" = 1 ] || fail "keep-alive: $(tr '\n' ' ' <"$work/connects") connects"
  cmp -s "$site/readme.txt" <(curl -s -0 --max-time 3 http://127.0.0.1/readme.txt) || fail "HTTP/1.0"
  # A download cut half-way, resumed from where it stopped.
  size=$(stat -c %s "$site/orra.png")
  head -c $((size / 2)) "$site/orra.png" >"$work/resumed"
  code=$(curl -s -C - -o "$work/resumed" -w '%{http_code}' --max-time 5 http://127.0.0.1/orra.png || true)
  [ "$code" = 206 ] || fail "resume: status $code"
  cmp -s "$site/orra.png" "$work/resumed" || fail "resume: bytes differ"
  code=$(curl -s -z "$site/orra.png" -o /dev/null -w '%{http_code}' --max-time 5 http://127.0.0.1/orra.png)
  [ "$code" = 304 ] || fail "If-Modified-Since: status $code"
  # The entity tag curl saved asks again: If-None-Match.
  curl -s -o /dev/null --etag-save "$work/etag" --max-time 5 http://127.0.0.1/orra.png
  grep -q '^"[0-9a-f]*-[0-9a-f]*"$' "$work/etag" || fail "etag: $(cat "$work/etag")"
  code=$(curl -s --etag-compare "$work/etag" -o /dev/null -w '%{http_code}' --max-time 5 http://127.0.0.1/orra.png)
  [ "$code" = 304 ] || fail "If-None-Match: status $code"
  # Both families, and localhost by whichever the resolver gives first.
  for url in '-4 http://127.0.0.1/' '-6 http://[::1]/' '-v http://localhost/'; do
    cmp -s "$site/index.html" <(curl -s -g "${url% *}" --max-time 5 "${url#* }" 2>"$work/curl-v") ||
      fail "curl $url is not answered"
  done
  grep -E '^\* +Trying' "$work/curl-v" || true
  echo "curl: $count files byte-identical, 404, keep-alive, HTTP/1.0, resume, 304 by date and by tag, IPv4, IPv6 and localhost ok"
  ;;
chromium)
  [ -n "$shot" ] || fail "screenshot path missing"
  mkdir -p "$(dirname "$shot")"
  # shellcheck disable=SC2054 # --window-size takes a comma
  flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
         --disable-background-networking --disable-component-update --disable-sync
         --user-data-dir="$work/profile" --window-size=800,500 --hide-scrollbars
         --log-net-log="$work/net.json" --net-log-capture-mode=Default)
  timeout 120 chromium "${flags[@]}" --screenshot="$work/shot.png" http://127.0.0.1/index.html \
    >"$work/chromium.log" 2>&1 || { cat "$work/chromium.log" >&2; fail "chromium failed"; }
  [ -s "$work/shot.png" ] || fail "no screenshot"
  python3 - "$work/net.json" <<'PY' || fail "chromium did not load the page and its picture"
import json, sys
log = json.load(open(sys.argv[1]))
text = json.dumps(log)
ok = {}
for path in ("/index.html", "/orra.png"):
    ok[path] = ("http://127.0.0.1" + path) in text
if "HTTP/1.1 200 Sending file" not in text:
    sys.exit("no 200 answer in the net log")
if not all(ok.values()):
    sys.exit("requests missing: %s" % ok)
PY
  cp "$work/shot.png" "$shot"
  echo "chromium: index.html and orra.png loaded; screenshot $shot"
  timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile2" --dump-dom http://127.0.0.1/browser \
    >"$work/dom.html" 2>"$work/chromium2.log" || { cat "$work/chromium2.log" >&2; fail "chromium failed"; }
  grep -q 'data-svg="rendered 40"' "$work/dom.html" ||
    { cat "$work/dom.html" >&2; fail "the SVG image was not rendered"; }
  grep -q 'data-module="ran"' "$work/dom.html" ||
    { cat "$work/dom.html" >&2; fail "the module scripts did not run"; }
  echo "chromium: /browser redirected to its folder, SVG rendered, module scripts ran"
  ;;
*) fail "unknown mode $mode" ;;
esac

status=0
timeout 30 "$(dirname "${BASH_SOURCE[0]}")/../../../tools/wine-run.sh" "$bin/close_server.exe" </dev/null || status=$?
timeout 10 tail --pid="$server_pid" -f /dev/null || true
server_pid=
[ "$status" = 0 ] || fail "server exit code $status after WM_CLOSE"
echo "server closed with exit code 0"
