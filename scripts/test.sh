#!/bin/sh
# Builds and runs the whole test suite (the layering check of the whole
# tree is one of its tests) twice: a normal build, followed by the naming
# check of the whole tree and the test share, and an AddressSanitizer +
# UndefinedBehaviorSanitizer build; then runs every fuzz target for a
# bounded time (QVB_FUZZ_SECONDS each, default 30) under ASan+UBSan.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
JOBS=$(nproc)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/test
ctest --test-dir build/test --output-on-failure -j "$JOBS"
sh scripts/check-naming.sh --all build/test
sh scripts/test-share.sh
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQVB_SANITIZE=ON >/dev/null
cmake --build build/asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j "$JOBS"
QVB_FUZZ_SECONDS=${QVB_FUZZ_SECONDS:-30} bash scripts/fuzz-smoke.sh
