#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Zavelon
# needs, and nothing when they are all present. Works as root or via sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6svg6
  libgl-dev
  libcurl4-openssl-dev libssl-dev
  libmagick++-dev imagemagick
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  xvfb xauth
  desktop-file-utils appstream
  dpkg-dev file
)

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
