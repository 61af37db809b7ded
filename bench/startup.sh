#!/usr/bin/env bash
# Start-up time of Plumark: from starting the program to its window being
# mapped on a virtual display (Xvfb), with a fresh settings store for the
# first start and the stored one after. The first start is a warm-up and is
# not counted. Target: under 300 ms warm.
#   bench/startup.sh [path/to/plumark] [runs]
# Needs Xvfb and xwininfo (x11-utils).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/plumark}
runs=${2:-10}

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../tools/virtual-display.sh
. "$root/tools/virtual-display.sh"
start_virtual_display "$work"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work
export QT_QPA_PLATFORM=xcb
mkdir -p "$HOME/Desktop"

shown() {
    xwininfo -root -tree 2>/dev/null | grep '"Plumark"' | grep -q ' 536x547+'
}

one_start() {
    local start end pid
    start=$(date +%s%N)
    "$program" 2>/dev/null &
    pid=$!
    until shown; do
        kill -0 "$pid" 2>/dev/null || { echo "the program ended early" >&2; exit 1; }
    done
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

echo "first start (empty store, warm-up): $(one_start) ms"
times=()
for _ in $(seq "$runs"); do times+=("$(one_start)"); done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
median=$(echo "$sorted" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
echo "warm starts ($runs): $(echo "$sorted" | tr '\n' ' ')ms"
echo "median: $median ms (min $(echo "$sorted" | head -1), max $(echo "$sorted" | tail -1))"
