#!/bin/sh
# Scans a tree of 100,000 files in 10,100 folders with the pattern "*.*" and
# compares it with find on the same tree, both with a warm cache. Each side
# runs five times, alternating; the fastest run of each counts.
#   bench/folder_scan.sh BUILD_DIR [TREE_DIR]
set -eu
build=${1:?usage: folder_scan.sh BUILD_DIR [TREE_DIR]}
tree=${2:-${TMPDIR:-/tmp}/plumark-scan-tree}
bench="$build/bench/folder_scan"

if [ ! -d "$tree" ]; then
    mkdir -p "$tree"
    "$bench" make "$tree" 100 10
fi

# Warm the cache.
find "$tree" -type f | wc -l >/dev/null
"$bench" scan "$tree" >/dev/null

best_find=
best_scan=
for run in 1 2 3 4 5; do
    start=$(date +%s.%N)
    count=$(find "$tree" -type f | wc -l)
    end=$(date +%s.%N)
    find_seconds=$(echo "$end - $start" | bc -l)
    result=$("$bench" scan "$tree")
    scan_seconds=$(echo "$result" | sed -n 's/^scan_seconds //p')
    if [ -z "$best_find" ] || [ "$(echo "$find_seconds < $best_find" | bc -l)" = 1 ]; then
        best_find=$find_seconds
    fi
    if [ -z "$best_scan" ] || [ "$(echo "$scan_seconds < $best_scan" | bc -l)" = 1 ]; then
        best_scan=$scan_seconds
        best_result=$result
    fi
done

echo "find_files $count"
printf 'find_seconds %.3f\n' "$best_find"
echo "$best_result"
printf 'ratio %.2f (target <= 6)\n' "$(echo "$best_scan / $best_find" | bc -l)"
