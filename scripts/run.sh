#!/usr/bin/env bash
# Builds the client and the reference service and runs the client against the service, signed in
# with the demo account. With a display the client opens there; without one it runs under Xvfb and
# the path of a screenshot is printed. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELO_TESTS=OFF \
    -DVELO_BENCH=OFF >/dev/null
cmake --build build-run -j"$(nproc)" --target velo velo-regctl zar_control updater-standin velo-cli refservice \
    screencheck
exec scripts/client-demo.sh build-run
