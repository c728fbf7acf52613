#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest -j "$jobs" --output-on-failure)

# The browser hand-over once for real: Chromium with the extension, the
# messaging host, and the program under Xvfb running the task it was handed.
bash scripts/browser-e2e.sh build/src/zavelon

# The threaded core once more under ThreadSanitizer: only its own tests.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAVELON_TSAN=ON
cmake --build build-tsan -j "$jobs" --target engine_tests images_tests
(cd build-tsan && ctest -j "$jobs" --output-on-failure -R '^(engine|images)\.')

# The Debian package, from the build tree above; package.sh checks its contents.
bash scripts/package.sh
