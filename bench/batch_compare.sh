#!/bin/sh
# Compares "plumark convert --engine ffmpeg" with running the same converter
# command from the shell, on one generated corpus:
#   --jobs 1  against a plain loop, one ffmpeg per file;
#   --jobs 2  against the same loop under "xargs -P 2".
# Each variant runs ROUNDS times, interleaved; the best time of each counts, so
# that load from other programs weighs as little as possible.
# Usage: bench/batch_compare.sh [BUILD_DIR] [FILES] [SECONDS] [ROUNDS]
set -eu

build=${1:-build}
files=${2:-24}
seconds=${3:-20}
rounds=${4:-3}
. "$(dirname "$0")/corpus.sh"

# The converter command of one file, as plumark runs it.
convert_one='name=${1##*/}; ffmpeg -i "$1" -ab 192k -acodec ac3 "$OUT/${name%.*}.ac3" </dev/null 2>/dev/null'

shell_loop() {
    for f in "$work"/in/*.m4a; do
        name=${f##*/}
        ffmpeg -i "$f" -ab 192k -acodec ac3 "$OUT/${name%.*}.ac3" </dev/null 2>/dev/null
    done
}

shell_xargs() {
    printf '%s\0' "$work"/in/*.m4a | xargs -0 -n 1 -P 2 sh -c "$convert_one" sh
}

plumark_jobs() {
    "$plumark" convert --engine ffmpeg --jobs "$1" --bitrate 192 --output-dir "$OUT" "$work/in" >/dev/null
}

best() { sort -n | head -n 1; }

r=1
while [ "$r" -le "$rounds" ]; do
    timed loop shell_loop
    timed plumark1 plumark_jobs 1
    timed xargs2 shell_xargs
    timed plumark2 plumark_jobs 2
    r=$((r + 1))
done

# The same command gives the same bytes.
same=yes
for f in "$work"/out-loop/*.ac3; do
    for other in plumark1 xargs2 plumark2; do
        cmp -s "$f" "$work/out-$other/$(basename "$f")" || same=no
    done
done

loop=$(best <"$work/loop.t")
p1=$(best <"$work/plumark1.t")
x2=$(best <"$work/xargs2.t")
p2=$(best <"$work/plumark2.t")

awk -v loop="$loop" -v p1="$p1" -v x2="$x2" -v p2="$p2" -v same="$same" -v rounds="$rounds" '
BEGIN {
    r1 = p1 / loop; r2 = p2 / x2; speedup = p1 / p2
    printf "Best of %d rounds, seconds:\n", rounds
    printf "  shell loop            %7.3f   plumark --jobs 1  %7.3f   ratio %.3f  (target <= 1.05: %s)\n", loop, p1, r1, (r1 <= 1.05 ? "met" : "missed")
    printf "  shell loop, xargs -P2 %7.3f   plumark --jobs 2  %7.3f   ratio %.3f  (target <= 1.05: %s)\n", x2, p2, r2, (r2 <= 1.05 ? "met" : "missed")
    printf "  plumark --jobs 2 is %.2fx as fast as --jobs 1 (target >= 1.8: %s)\n", speedup, (speedup >= 1.8 ? "met" : "missed")
    printf "  (for reference, xargs -P 2 is %.2fx as fast as the loop: what the cores give now)\n", loop / x2
    printf "  results identical to the shell loop: %s\n", same
}'
