#!/usr/bin/env bash
# Installs what is missing, builds Zavelon and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target zavelon zavelon-cli
exec ./build/src/zavelon "$@"
