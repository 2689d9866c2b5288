#!/usr/bin/env bash
# Builds Ondrel and runs every test: scripts/test.sh
# The end-to-end tests start their own X servers, so no display is needed.
# Set ONDREL_WARNINGS_AS_ERRORS=ON to make compiler warnings fail the build, and
# ONDREL_BUILD_BENCH=ON to build the benchmark programs too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
build=${ONDREL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DONDREL_WARNINGS_AS_ERRORS="${ONDREL_WARNINGS_AS_ERRORS:-OFF}" -DONDREL_WAYLAND=ON \
    -DONDREL_BUILD_BENCH="${ONDREL_BUILD_BENCH:-OFF}"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure
