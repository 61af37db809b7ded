#!/bin/sh
# What finding each input's own rate costs in "plumark convert": the same
# generated corpus converted with the same rate as each input (the rate probe
# reads every file) and with one constant rate (no probe), both with --jobs 2,
# side by side in interleaved rounds. Target: same-rate at most 1.15x the
# constant run.
# Usage: bench/rate_probe.sh [BUILD_DIR] [FILES] [SECONDS] [ROUNDS]
set -eu

build=${1:-build}
files=${2:-24}
seconds=${3:-2}
rounds=${4:-5}
. "$(dirname "$0")/corpus.sh"

# Runs one variant into a fresh output folder and prints its time in seconds.
timed() {
    out="$work/out-$1"
    shift
    rm -rf "$out"
    start=$(now)
    "$plumark" convert --jobs 2 --output-dir "$out" "$@" "$work/in" >/dev/null
    end=$(now)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

r=1
while [ "$r" -le "$rounds" ]; do
    same=$(timed same)
    constant=$(timed constant --bitrate 128)
    echo "$same $constant" >>"$work/times"
    echo "  round $r: same rate $same s, --bitrate 128 $constant s, ratio $(awk -v s="$same" -v c="$constant" 'BEGIN { printf "%.3f", s / c }')"
    r=$((r + 1))
done

best() { cut -d' ' -f"$1" "$work/times" | sort -n | head -n 1; }
ratios=$(awk '{ printf "%.3f\n", $1 / $2 }' "$work/times" | sort -n)
awk -v rounds="$rounds" -v same="$(best 1)" -v constant="$(best 2)" \
    -v low="$(echo "$ratios" | head -n 1)" -v high="$(echo "$ratios" | tail -n 1)" \
    -v median="$(echo "$ratios" | sed -n "$(((rounds + 1) / 2))p")" 'BEGIN {
    r = same / constant
    printf "Best of %d rounds: same rate %.3f s, --bitrate 128 %.3f s, ratio %.3f (target <= 1.15: %s)\n",
        rounds, same, constant, r, (r <= 1.15 ? "met" : "missed")
    printf "Per-round ratios: lowest %.3f, median %.3f, highest %.3f\n", low, median, high
}'
