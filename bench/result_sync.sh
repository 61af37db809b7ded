#!/bin/sh
# What syncing each result costs: "plumark convert" on many short files, as
# built (each result's data synced before its rename, its folder after) and
# with fsync made a no-op by a small preloaded library built here, which
# gives the same run without the syncs. The variants run ROUNDS times,
# interleaved; the best time of each counts. The work folder is made where
# mktemp -d makes it (set TMPDIR to measure another file system).
# Usage: bench/result_sync.sh [BUILD_DIR] [FILES] [SECONDS] [ROUNDS] [ENGINE]
set -eu

build=${1:-build}
total=${2:-1500}
seconds=${3:-2}
rounds=${4:-3}
engine=${5:-builtin}
files=1
. "$(dirname "$0")/corpus.sh"

# One generated input, copied: the syncs, not the audio, are measured.
i=2
while [ "$i" -le "$total" ]; do
    cp "$work/in/track 1.m4a" "$work/in/track $i.m4a"
    i=$((i + 1))
done
echo "Copied to $total files; engine $engine; file system $(stat -f -c %T "$work")"

cat >"$work/nosync.c" <<'C'
int fsync(int fd) { (void)fd; return 0; }
int fdatasync(int fd) { (void)fd; return 0; }
C
cc -shared -fPIC -O2 -o "$work/nosync.so" "$work/nosync.c"

convert() {
    "$plumark" convert --engine "$engine" --bitrate 192k --output-dir "$OUT" "$work/in" >/dev/null
}
unsynced() { LD_PRELOAD="$work/nosync.so" convert; }

best() { sort -n | head -n 1; }

r=1
while [ "$r" -le "$rounds" ]; do
    timed synced convert
    timed unsynced unsynced
    r=$((r + 1))
done

synced=$(best <"$work/synced.t")
unsynced=$(best <"$work/unsynced.t")
awk -v s="$synced" -v u="$unsynced" -v n="$total" -v rounds="$rounds" 'BEGIN {
    printf "Best of %d rounds, seconds for %d files:\n", rounds, n
    printf "  synced    %8.3f  (%.2f ms a file)\n", s, 1000 * s / n
    printf "  no syncs  %8.3f  (%.2f ms a file)\n", u, 1000 * u / n
    printf "  syncing costs %.3f s, %.1f%% (%.2f ms a file)\n", s - u, 100 * (s - u) / u, 1000 * (s - u) / n
}'
