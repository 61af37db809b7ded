#!/bin/sh
# Scans a tree of 100,000 files in 10,100 folders with the pattern "*.*" and
# compares it with find on the same tree, both with a warm cache.
#   bench/folder_scan.sh BUILD_DIR [TREE_DIR]
set -eu
build=${1:?usage: folder_scan.sh BUILD_DIR [TREE_DIR]}
tree=${2:-${TMPDIR:-/tmp}/plumark-scan-tree}
bench="$build/bench/folder_scan"

if [ ! -d "$tree" ]; then
    mkdir -p "$tree"
    "$bench" make "$tree" 100 10
fi

seconds() { date +%s.%N; }

# Warm the cache.
find "$tree" -type f | wc -l >/dev/null
"$bench" scan "$tree" >/dev/null

start=$(seconds)
count=$(find "$tree" -type f | wc -l)
end=$(seconds)
find_seconds=$(echo "$end - $start" | bc -l)
echo "find_files $count"
printf 'find_seconds %.3f\n' "$find_seconds"

result=$("$bench" scan "$tree")
echo "$result"
scan_seconds=$(echo "$result" | sed -n 's/^scan_seconds //p')
printf 'ratio %.2f (target <= 6)\n' "$(echo "$scan_seconds / $find_seconds" | bc -l)"
