#!/usr/bin/env bash
# Starts Plumark on a virtual display (Xvfb) with a private home and settings,
# and writes a picture of its window to docs/screenshot.png.
#   tools/screenshot.sh [path/to/plumark]   (default: build/plumark)
# Needs Xvfb, xwininfo (x11-utils) and ImageMagick's import.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/plumark}
output=$root/docs/screenshot.png

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../tools/virtual-display.sh
. "$root/tools/virtual-display.sh"
start_virtual_display "$work"

mkdir -p "$work/home/user/Desktop"
HOME=$work/home/user XDG_CONFIG_HOME=$work/home/user/.config XDG_RUNTIME_DIR=$work \
    QT_QPA_PLATFORM=xcb "$program" &
program_pid=$!

window=
for _ in $(seq 200); do
    # The shown window (the one with a size), not Qt's hidden leader window.
    window=$(xwininfo -root -tree 2>/dev/null |
        awk '/"Plumark"/ && / [0-9]+x[0-9]+\+/ && !/ 1x1\+/ { print $1; exit }')
    [ -n "$window" ] && break
    sleep 0.05
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "wrote $output"
