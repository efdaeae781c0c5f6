#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default
# 60) from its seed corpus, which stays read-only in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-60}
BUILD_DIR=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DWINGMATE_FUZZ=ON \
    -DWINGMATE_BUILD_TESTS=OFF -DWINGMATE_BUILD_BENCH=OFF -DWINGMATE_BUILD_GUI=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined" \
    >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
for corpus in fuzz/corpus/*/; do
    name=$(basename "$corpus")
    work=$(mktemp -d)
    echo "== fuzz_$name for ${SECONDS_PER_TARGET}s"
    "$BUILD_DIR/bin/fuzz_$name" -max_total_time="$SECONDS_PER_TARGET" -max_len=65536 \
        -print_final_stats=0 "$work" "$corpus" 2>&1 | tail -n 3
    rm -rf "$work"
done
