#!/bin/sh
# Builds the soak check with AddressSanitizer and UBSan and runs it: 2,000
# rows through the conversion run and a scan of 100,000 files, four rounds
# each, with the memory after every round. Not part of the test suite: it
# takes minutes.
#   bench/soak.sh [BUILD_DIR [ROWS [ROUNDS [TREE_DIR]]]]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-asan}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" \
    -DPLUMARK_WERROR=ON -DPLUMARK_SANITIZE=ON -DPLUMARK_BENCH=ON >/dev/null
cmake --build "$build" --target soak
. tools/sanitizer-env.sh
# A small quarantine, so that memory held back to catch use after free does
# not read as growth.
export ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=8"
shift $(($# > 0 ? 1 : 0))
exec "$build/bench/soak" "$@"
