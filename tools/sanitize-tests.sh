#!/usr/bin/env bash
# Builds Plumark and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the whole test suite under them. Any finding fails the run.
#   tools/sanitize-tests.sh [build-dir]     (default build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}

# -O1 keeps the instrumented code quick, and line tables (-g1) keep file and
# line in every stack at a fraction of full debug information's build time.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" \
    -DPLUMARK_WERROR=ON -DPLUMARK_SANITIZE=ON -DPLUMARK_TESTS=ON -DPLUMARK_BENCH=OFF >/dev/null

source tools/sanitizer-env.sh
cmake --build "$build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
