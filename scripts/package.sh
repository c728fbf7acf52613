#!/usr/bin/env bash
# Builds the Debian package of Zavelon from the build tree (installing what is
# missing first) and checks what went into it. Prints the package's path;
# install it with `sudo apt install ./build/package/zavelon_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >&2

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
cmake --build build --target zavelon zavelon-cli zavelon_man_pages >&2
rm -rf build/package
(cd build && cpack -G DEB -B package >&2)

deb=$(ls build/package/zavelon_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
app_id=org.zavelon.Zavelon
required=(
  ./usr/bin/zavelon
  ./usr/bin/zavelon-cli
  ./usr/share/applications/$app_id.desktop
  ./usr/share/metainfo/$app_id.metainfo.xml
  ./usr/share/icons/hicolor/scalable/apps/$app_id.svg
  ./usr/share/icons/hicolor/48x48/apps/$app_id.png
  ./usr/share/man/man1/zavelon.1.gz
  ./usr/share/man/man1/zavelon-cli.1.gz
  ./usr/share/bash-completion/completions/zavelon-cli
  ./usr/share/zavelon/browser-extension/manifest.json
)
missing=0
for path in "${required[@]}"; do
  grep -qxF "$path" <<<"$contents" || { echo "package.sh: $deb lacks $path" >&2; missing=1; }
done
# The libraries come from the binaries; a package without them would install
# on a system that cannot run it.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libcurl4 libmagick++; do
  grep -q "$library" <<<"$depends" || { echo "package.sh: Depends lacks $library: $depends" >&2; missing=1; }
done
[ "$missing" -eq 0 ]
echo "$deb"
