#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time,
# two at a time, from its seed inputs in fuzz/corpus/<target>/. New inputs are
# kept in the build folder, so repeated runs by hand go deeper.
#   tools/fuzz.sh [seconds-per-target] [build-dir]    (default 30 s, build-fuzz)
#   FUZZ_SECONDS=900 tools/fuzz.sh                     a longer run by hand
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-30}}
build=${2:-build-fuzz}

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DPLUMARK_FUZZ=ON -DPLUMARK_TESTS=OFF -DPLUMARK_BENCH=OFF \
    -DPLUMARK_WERROR=ON >/dev/null
cmake --build "$build" --target fuzzers
source tools/sanitizer-env.sh

findings=$build/fuzz/findings
mkdir -p "$findings"

# Runs one target; its log stays beside the findings.
fuzz_one() {
    local name=$1 corpus=$build/fuzz/corpus/$1
    mkdir -p "$corpus"
    if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/$name-" "$corpus" "fuzz/corpus/$name" \
        >"$findings/$name.log" 2>&1; then
        echo "fuzz $name: $(grep -o 'Done [0-9]* runs' "$findings/$name.log" | tail -n 1) in ${seconds}s, no finding"
    else
        echo "fuzz $name: FINDING (input kept in $findings/)" >&2
        grep -E -A25 'property failed|ERROR:|runtime error' "$findings/$name.log" | head -n 40 >&2
        return 1
    fi
}

targets=()
for source in fuzz/*.cpp; do
    name=${source##*/}
    targets+=("${name%.cpp}")
done

failed=0
running=0
for name in "${targets[@]}"; do
    if [ "$running" -ge "$(nproc)" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
    fuzz_one "$name" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done
exit "$failed"
