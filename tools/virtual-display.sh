# Sourced by scripts that show the program on a virtual display.
# start_virtual_display WORK: starts Xvfb on a free display, keeps its pid in
# xvfb_pid and exports DISPLAY. WORK is a scratch folder of the caller's.
start_virtual_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.05; done
    export DISPLAY=":$(cat "$1/display")"
}
