#!/usr/bin/env bash
# How long the client's GUI thread goes without turning, phase by phase, through what a user
# does: start-up with the automatic sign-in, three channels played, the retry notice and its
# retry, and closing. The client measures it itself (VELO_TRACE): each timing line carries the
# longest stall since the line before. Not a test: it prints, it does not judge.
# usage: bench/client-phases.sh BUILDDIR      (needs Xvfb and xdotool)
source "$(dirname "$0")/lib.sh"
command -v xdotool >/dev/null || { echo "client-phases.sh needs xdotool" >&2; exit 2; }

start_service "$work/service"
prepare_program
start_display

window_origin() {
    local id
    id=$(xdotool search --sync --onlyvisible --name 'VELOライブテレビクライアント' | head -n1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    echo "$X $Y"
}

# Run one: start-up, three channels, close.
start_client "$work/run1.trace"
wait_for "$work/run1.trace" startup-finished
wait_for "$work/run1.trace" signed-in
read -r wx wy < <(window_origin)
# The first channel by a double-click on its row (below the search field, under the first
# group's heading), the next two by zapping from the keyboard, as viewers do.
xdotool mousemove $((wx + 680)) $((wy + 148)) click --repeat 2 --delay 80 1
wait_for "$work/run1.trace" play-requested 1 20
sleep 1.5
for played in 2 3; do
    xdotool key Next
    wait_for "$work/run1.trace" play-requested "$played" 20
    sleep 1.5
done
xdotool mousemove $((wx + 784)) $((wy + 11)) click 1
wait_for "$work/run1.trace" close-finished 1 30
wait "$client" 2>/dev/null || true

# Run two: the list cannot be fetched at first; the notice counts down and fetches it.
curl -sf -X POST --data-binary "" "$server/control/script?endpoint=%2Ftvprogram.action&action=reply&status=500&count=1" >/dev/null || { echo "the service refused the fault script" >&2; exit 1; }
rm -f "$program/tvchannel.xml"
start_client "$work/run2.trace"
wait_for "$work/run2.trace" retry-notice 1 60
wait_for "$work/run2.trace" list-retried 1 60
read -r wx wy < <(window_origin)
xdotool mousemove $((wx + 784)) $((wy + 11)) click 1
wait_for "$work/run2.trace" close-finished 1 30
wait "$client" 2>/dev/null || true

printf '%-8s %-34s %10s %14s\n' run phase "ends (ms)" "longest stall"
for run in 1 2; do
    awk -v run="$run" '
        /^velo-trace / {
            phase = (previous == "" ? "process start" : previous) " -> " $3
            split($4, stall, "=")
            printf "%-8s %-34s %10d %11d ms\n", run, phase, $2, stall[2]
            if (previous != "") { if (stall[2] > worst) worst = stall[2] }
            previous = $3
        }
        END { printf "%-8s %-34s %10s %11d ms\n", run, "longest after the first paint", "", worst }
    ' "$work/run$run.trace"
done
echo "aim: no stall over 16 ms after the first paint"
