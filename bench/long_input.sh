#!/bin/sh
# One long input on every core: "plumark convert --jobs 2" against --jobs 1 on
# one 10-minute 44.1 kHz stereo AAC, interleaved ROUNDS times in one run
# (target: --jobs 2 at most 0.6 of --jobs 1's time, best against best), and
# the result against the installed ffmpeg's bytes.
# Usage: bench/long_input.sh [BUILD_DIR] [ROUNDS] [SECONDS]
set -eu

build=${1:-build}
rounds=${2:-3}
length=${3:-600}
plumark=$(cd "$build" && pwd)/plumark
[ -x "$plumark" ] || { echo "no plumark in $build" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/in" "$work/temp"
export TEMP="$work/temp"

ffmpeg -nostdin -v error -y -f lavfi -i "anoisesrc=d=$length:c=pink:r=44100:a=0.3:seed=7" \
    -ac 2 -c:a aac -b:a 128k "$work/in/long.m4a"
ffmpeg -nostdin -v error -y -i "$work/in/long.m4a" -ab 192k -acodec ac3 "$work/ffmpeg.ac3"
echo "One input of $length s (44.1 kHz stereo AAC), $(nproc) cores, $rounds rounds"

now() { date +%s.%N; }
run() {
    rm -rf "$work/out$1"
    mkdir -p "$work/out$1"
    start=$(now)
    "$plumark" convert --jobs "$1" --bitrate 192 --output-dir "$work/out$1" "$work/in" >/dev/null
    awk -v a="$(now)" -v b="$start" 'BEGIN { print a - b }' >>"$work/jobs$1.t"
    cmp -s "$work/ffmpeg.ac3" "$work/out$1/long.ac3" || echo "jobs $1: not ffmpeg's bytes"
}

i=0
while [ "$i" -lt "$rounds" ]; do
    run 1
    run 2
    i=$((i + 1))
done

best() { sort -n "$1" | head -n 1; }
awk -v one="$(best "$work/jobs1.t")" -v two="$(best "$work/jobs2.t")" 'BEGIN {
    r = two / one
    printf "  --jobs 1  %8.3f s\n  --jobs 2  %8.3f s   %.2f of --jobs 1 (target <= 0.6: %s)\n",
           one, two, r, (r <= 0.6 ? "met" : "missed")
}'
