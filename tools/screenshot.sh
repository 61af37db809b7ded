#!/usr/bin/env bash
# Starts Plumark on a virtual display (Xvfb) with a private home and settings,
# three sample files in its list and the constant-rate option chosen, and
# writes pictures of it to docs/:
#   screenshot.png        the window, second row selected
#   screenshot-rates.png  the open rate list
#   screenshot-run.png    a conversion run in progress
#   tools/screenshot.sh [path/to/plumark]   (default: build/plumark)
# With KEEP_STATES=folder it also writes pictures of further control states
# (hover, pressed, focus, disabled) into that folder, for review.
# Needs Xvfb, xwininfo (x11-utils), xdotool, ffmpeg and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/plumark}
docs=$root/docs
states=${KEEP_STATES:-}

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

home=$work/home/user
mkdir -p "$home/Desktop" "$home/.config" "$work/music" "$work/out"
printf '[Plumark]\nOption=2\nkbps=128 kbps\nOutput%%20Folder=%s/out/\n' "$work" \
    >"$home/.config/Kestrova.conf"
for name in "Morning Walk" "Evening Rain" "Night Train"; do
    ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i sine=duration=1 \
        -c:a aac "$work/music/$name.m4a"
done
# The converter takes its time, so that the run can be seen under way.
printf '#!/bin/sh\nsleep 4\nexec ffmpeg "$@"\n' >"$work/slow-ffmpeg"
chmod +x "$work/slow-ffmpeg"

HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$work \
    PLUMARK_FFMPEG=$work/slow-ffmpeg QT_QPA_PLATFORM=xcb \
    "$program" "$work/music/Morning Walk.m4a" "$work/music/Evening Rain.m4a" \
    "$work/music/Night Train.m4a" &
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

# Window-relative points (pixels) of the controls used below.
row2="60 50"
combo="268 322"
start="268 491"
text1="150 414"
pushbutton1="136 196"
option1="60 275"
option2="60 298"
option4="60 451"

click() { xdotool mousemove --window "$window" $1 click 1; sleep 0.5; }
hover() { xdotool mousemove --window "$window" $1; sleep 0.5; }
shot() { import -window "$window" "$1"; echo "wrote $1"; }
# The screen's whole height cut to the window's width, for the rate list,
# which may open above or below its box and beyond the window.
screen_shot() {
    local geometry
    geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 }
        /Width/ { w = $2 } END { print w "x768+" x "+0" }')
    import -window root -crop "$geometry" +repage "$1"
    echo "wrote $1"
}

click "$row2"
shot "$docs/screenshot.png"
if [ -n "$states" ]; then
    mkdir -p "$states"
    hover "$pushbutton1"
    shot "$states/hover.png"
    xdotool mousedown 1
    sleep 0.3
    shot "$states/pressed.png"
    xdotool mouseup 1
    sleep 0.3
    # Close the file dialog that the press opened.
    xdotool key Escape
    sleep 0.5
    click "$text1"
    shot "$states/focus.png"
    click "$option4"
    click "$option1"
    shot "$states/disabled.png"
    click "$option2"
fi

click "$combo"
xdotool key Down
sleep 0.5
screen_shot "$docs/screenshot-rates.png"
xdotool key Escape
sleep 0.5

click "$start"
sleep 2
shot "$docs/screenshot-run.png"
