#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default
# 60) from its seed corpus, which stays read-only in the repository. Only the
# fuzz targets and what they link are built; JOBS targets (default: one a
# core) fuzz at the same time, each for its full SECONDS.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-60}
JOBS=${JOBS:-$(nproc)}
BUILD_DIR=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DWINGMATE_FUZZ=ON \
    -DWINGMATE_BUILD_TESTS=OFF -DWINGMATE_BUILD_BENCH=OFF -DWINGMATE_BUILD_GUI=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined" \
    >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target fuzzers

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# fuzz NAME: one target from its corpus; its last lines and status go to $out.
fuzz() {
    local name=$1 work status=0
    work=$(mktemp -d)
    "$BUILD_DIR/bin/fuzz_$name" -max_total_time="$SECONDS_PER_TARGET" -max_len=65536 \
        -print_final_stats=0 "$work" "fuzz/corpus/$name/" >"$out/$name.log" 2>&1 || status=$?
    rm -rf "$work"
    echo "$status" >"$out/$name.status"
}
names=()
for corpus in fuzz/corpus/*/; do
    names+=("$(basename "$corpus")")
done
running=0
for name in "${names[@]}"; do
    if [ "$running" -ge "$JOBS" ]; then
        wait -n
        running=$((running - 1))
    fi
    fuzz "$name" &
    running=$((running + 1))
done
wait
failed=0
for name in "${names[@]}"; do
    echo "== fuzz_$name for ${SECONDS_PER_TARGET}s"
    status=$(cat "$out/$name.status")
    if [ "$status" = 0 ]; then
        tail -n 3 "$out/$name.log"
    else
        # The whole report of a target that found something.
        cat "$out/$name.log"
        echo "fuzz_$name exited with $status"
        failed=1
    fi
done
exit "$failed"
