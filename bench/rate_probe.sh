#!/bin/sh
# What finding each input's own rate costs in "plumark convert": the same
# generated corpus converted with the same rate as each input (the rate probe
# reads every file) and with one constant rate (no probe), both with --jobs 2,
# side by side in interleaved rounds. Target: same-rate at most 1.15x the
# constant run. For comparison, a third variant runs the program named by
# BEFORE (an earlier build, whose probe read every file) with the same rate.
# Usage: [BEFORE=OLD_PLUMARK] bench/rate_probe.sh [BUILD_DIR] [FILES] [SECONDS] [ROUNDS]
set -eu

build=${1:-build}
files=${2:-24}
seconds=${3:-2}
rounds=${4:-5}
. "$(dirname "$0")/corpus.sh"

# Runs one variant into a fresh output folder and prints its wall-clock time
# and the processor time of the program and its children, in seconds; $program
# is the one run.
program=$plumark
timed() {
    out="$work/out-$1"
    shift
    rm -rf "$out"
    /usr/bin/time -f "%e %U %S" -o "$work/time" \
        "$program" convert --jobs 2 --output-dir "$out" "$@" "$work/in" >/dev/null
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/time"
}

r=1
while [ "$r" -le "$rounds" ]; do
    same=$(timed same)
    constant=$(timed constant --bitrate 128)
    old="0 0"
    [ -z "${BEFORE:-}" ] || old=$(program=$BEFORE timed old)
    echo "$same $constant $old" >>"$work/times"
    echo "$same $constant $old" | awk -v r="$r" '{
        printf "  round %d: same rate %.3f s (cpu %.3f s), --bitrate 128 %.3f s (cpu %.3f s), ratio %.3f; before %.3f s, ratio %.3f\n",
            r, $1, $2, $3, $4, $1 / $3, $5, $5 / $3 }'
    r=$((r + 1))
done

best() { cut -d' ' -f"$1" "$work/times" | sort -n | head -n 1; }
ratios=$(awk '{ printf "%.3f\n", $1 / $3 }' "$work/times" | sort -n)
awk -v rounds="$rounds" -v same="$(best 1)" -v constant="$(best 3)" \
    -v samecpu="$(best 2)" -v constantcpu="$(best 4)" -v old="$(best 5)" \
    -v low="$(echo "$ratios" | head -n 1)" -v high="$(echo "$ratios" | tail -n 1)" \
    -v median="$(echo "$ratios" | sed -n "$(((rounds + 1) / 2))p")" 'BEGIN {
    r = same / constant
    printf "Best of %d rounds: same rate %.3f s, --bitrate 128 %.3f s, ratio %.3f (target <= 1.15: %s)\n",
        rounds, same, constant, r, (r <= 1.15 ? "met" : "missed")
    printf "Per-round ratios: lowest %.3f, median %.3f, highest %.3f\n", low, median, high
    printf "Processor time, least of each: same rate %.3f s, --bitrate 128 %.3f s, ratio %.3f\n",
        samecpu, constantcpu, samecpu / constantcpu
    if (old > 0)
        printf "The earlier build (BEFORE): best %.3f s, ratio %.3f\n", old, old / constant
}'
