#!/usr/bin/env bash
# screenshot.sh OUT.png: saves the whole X screen ($DISPLAY) as a PNG.
set -euo pipefail
out=${1:?usage: screenshot.sh OUT.png}
xwd -root -silent -display "${DISPLAY:?no DISPLAY}" | convert xwd:- "$out"
