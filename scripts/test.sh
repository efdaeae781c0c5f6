#!/usr/bin/env bash
# Configures, builds and runs every test. BUILD_DIR and extra CMake options
# (CMAKE_ARGS) may be given in the environment. WINGMATE_HARDEN=1 compiles
# with the flags Debian packages are built with (dpkg-buildflags, hardening
# on), so the Debian package can be made from this build as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/check-layers.sh
BUILD_DIR=${BUILD_DIR:-build}
flags=()
if [ -n "${WINGMATE_HARDEN:-}" ]; then
    hardening=$(scripts/hardening-flags.sh)
    mapfile -t flags <<<"$hardening"
fi
cmake -S . -B "$BUILD_DIR" -G Ninja "${flags[@]}" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)"
