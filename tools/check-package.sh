#!/usr/bin/env bash
# Builds the Debian package as the README says and checks it: Debian's own
# checker (lintian) finds no error and no warning, and files that lie in the
# build folder without an install rule (results converted there) stay out.
#   tools/check-package.sh [build-dir]     (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

# Results the program may leave in its program folder when run from the build.
strays=("$build/Samples/Sample 1 - Tone.ac3" "$build/x/stray.ac3" "$build/stray.ac3")
planted=()
cleanup() { [ ${#planted[@]} -eq 0 ] || rm -f "${planted[@]}"; }
trap cleanup EXIT
for stray in "${strays[@]}"; do
    [ -e "$stray" ] && continue
    mkdir -p "$(dirname "$stray")"
    echo "not a sample" >"$stray"
    planted+=("$stray")
done

# Built as by a user whose files are group-writable (Debian 13's umask), so
# that the package's modes cannot depend on the builder's umask.
umask 0002
rm -f "$build"/plumark_*.deb
cmake --build "$build" --target package >/dev/null
debs=("$build"/plumark_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "no single package in $build" >&2; exit 1; }
deb=${debs[0]}

if dpkg-deb -c "$deb" | grep -i '\.ac3$'; then
    echo "$deb holds .ac3 files" >&2
    exit 1
fi
lintian --fail-on error,warning "$deb"
echo "$(basename "$deb"): lintian clean, no stray files"
