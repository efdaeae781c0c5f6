#!/usr/bin/env bash
# Configures, builds and runs every test. BUILD_DIR and extra CMake options
# (CMAKE_ARGS) may be given in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/check-layers.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)"
