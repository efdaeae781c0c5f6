#!/usr/bin/env bash
# Builds the macro runner's tests with ThreadSanitizer in a build folder of
# their own (BUILD_DIR, default build-tsan) and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-tsan}
# Line tables (-g1) are all the reports need, and compile faster than -g.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
    -DCMAKE_MODULE_LINKER_FLAGS=-fsanitize=thread \
    -DWINGMATE_BUILD_GUI=OFF -DWINGMATE_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" --target runner_tests
# Address-space layouts with high mmap randomisation defeat TSan's shadow
# mapping on some kernels; setarch -R turns the randomisation off for the run.
run=()
if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
    run=(setarch "$(uname -m)" -R)
fi
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
    "${run[@]}" "$BUILD_DIR/bin/runner_tests" --gtest_brief=1
