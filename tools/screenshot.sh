#!/usr/bin/env bash
# screenshot.sh OUT.png: saves the whole X screen ($DISPLAY) as a PNG.
# ImageMagick's import, not xwd: xwd draws Wine's pop-ups (dialogs,
# message boxes) as black rectangles.
set -euo pipefail
out=${1:?usage: screenshot.sh OUT.png}
import -display "${DISPLAY:?no DISPLAY}" -window root "$out"
