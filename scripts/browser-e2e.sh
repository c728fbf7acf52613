#!/usr/bin/env bash
# One real run of the browser hand-over: a headless Chromium with Zavelon's
# unpacked extension hands a link of a loopback page to Zavelon (running
# under Xvfb), whose New Task window is confirmed and whose task must save the
# page's pictures. Installs what it needs from Debian's packages first.
#   bash scripts/browser-e2e.sh [PROGRAM]   (default: build/src/zavelon)
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/src/zavelon}

packages=(chromium chromium-driver python3-selenium python3-websocket xvfb xauth xdotool imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -x "$program" ]; then
  echo "browser-e2e: $program is not built" >&2
  exit 1
fi
# Debian's python3 is the one with Debian's selenium.
exec /usr/bin/python3 scripts/browser_e2e.py --program "$program" --extension resources/browser
