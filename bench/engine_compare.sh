#!/bin/sh
# Compares "plumark convert" (the in-process engine in worker processes) with
# the ffmpeg program run by "xargs -P 2" with the same command line, side by
# side in one run, on three generated corpora:
#   24 inputs of 2 s      target: plumark --jobs 2 at least 6x as fast
#   24 inputs of 20 s     target: at least 2x
#   8 inputs of 4 minutes target: at least 1.1x
# and plumark --jobs 2 against --jobs 1 (target: at least 1.8x).
# The variants run ROUNDS times, interleaved; the best time of each counts and
# the spread (slowest / fastest) is shown, since other programs share the cores.
# Usage: bench/engine_compare.sh [BUILD_DIR] [ROUNDS]
set -eu

build=${1:-build}
rounds=${2:-5}
# The short inputs are the shared corpus in "$work/in"; the longer ones follow.
files=24
seconds=2
. "$(dirname "$0")/corpus.sh"
make_corpus "$work/medium" 24 20
make_corpus "$work/long" 8 240

# The converter command of one file, as plumark --engine ffmpeg runs it.
convert_one='name=${1##*/}; ffmpeg -i "$1" -ab 192k -acodec ac3 "$OUT/${name%.*}.ac3" </dev/null 2>/dev/null'

shell_loop() {
    for f in "$work/$corpus"/*.m4a; do
        sh -c "$convert_one" sh "$f"
    done
}

shell_xargs() {
    printf '%s\0' "$work/$corpus"/*.m4a | xargs -0 -n 1 -P 2 sh -c "$convert_one" sh
}

plumark_jobs() {
    "$plumark" convert --jobs "$1" --bitrate 192 --output-dir "$OUT" "$work/$corpus" >/dev/null
}

best() { sort -n "$1" | head -n 1; }
worst() { sort -n "$1" | tail -n 1; }

report() {
    x=$(best "$work/$corpus-xargs2.t")
    p2=$(best "$work/$corpus-plumark2.t")
    p1=$(best "$work/$corpus-plumark1.t")
    same=yes
    for f in "$work/out-$corpus-xargs2"/*.ac3; do
        for other in plumark1 plumark2; do
            cmp -s "$f" "$work/out-$corpus-$other/$(basename "$f")" || same=no
        done
    done
    awk -v label="$1" -v target="$2" -v x="$x" -v p2="$p2" -v p1="$p1" \
        -v xw="$(worst "$work/$corpus-xargs2.t")" -v p2w="$(worst "$work/$corpus-plumark2.t")" \
        -v p1w="$(worst "$work/$corpus-plumark1.t")" -v same="$same" '
    BEGIN {
        r = x / p2; j = p1 / p2
        printf "%s\n", label
        printf "  xargs -P 2 ffmpeg  %7.3f s (slowest %7.3f)\n", x, xw
        printf "  plumark --jobs 2   %7.3f s (slowest %7.3f)   %.2fx as fast (target >= %s: %s; from the slowest rounds %.2fx)\n", p2, p2w, r, target, (r >= target ? "met" : "missed"), xw / p2w
        printf "  plumark --jobs 1   %7.3f s (slowest %7.3f)   --jobs 2 is %.2fx as fast (target >= 1.8: %s)\n", p1, p1w, j, (j >= 1.8 ? "met" : "missed")
        printf "  results identical to the ffmpeg program: %s\n", same
    }'
}

# What two cores give at the moment, for reading the --jobs ratios.
cores_now() {
    awk -v loop="$(best "$work/in-loop.t")" -v x="$(best "$work/in-xargs2.t")" 'BEGIN {
        printf "For reference, xargs -P 2 was %.2fx as fast as one ffmpeg at a time (24 inputs of 2 s):\n", loop / x
        printf "what the two cores gave while other programs ran; the --jobs ratios cannot exceed it.\n"
    }'
}

echo "$(nproc) cores, $rounds rounds, best time of each variant:"

for corpus in in medium long; do
    r=1
    while [ "$r" -le "$rounds" ]; do
        timed xargs2 shell_xargs
        timed plumark2 plumark_jobs 2
        timed plumark1 plumark_jobs 1
        [ "$corpus" = in ] && timed loop shell_loop
        r=$((r + 1))
    done
done

corpus=in report "24 inputs of 2 s:" 6
corpus=medium report "24 inputs of 20 s:" 2
corpus=long report "8 inputs of 4 minutes:" 1.1
cores_now
