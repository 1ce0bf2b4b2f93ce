#!/usr/bin/env bash
# What the client costs at rest and while it plays, beside the mpv command playing the same
# stream on the same display: CPU (share of one core, from the process's own counters) and
# resident memory, for the OpenGL and the software video output, with the window shown and
# minimised. Not a test: it prints, it does not judge.
# usage: bench/playback-cost.sh BUILDDIR [SECONDS]      (needs Xvfb, openbox, xdotool and mpv)
source "$(dirname "$0")/lib.sh"
seconds=${2:-10}
command -v xdotool >/dev/null || { echo "playback-cost.sh needs xdotool" >&2; exit 2; }
command -v mpv >/dev/null || { echo "playback-cost.sh needs the mpv command" >&2; exit 2; }
command -v openbox >/dev/null || { echo "playback-cost.sh needs openbox" >&2; exit 2; }
"$build/tools/refservice/refservice" --make-clips

start_service "$work/service"
prepare_program
start_display
# A window manager, so that minimising is what it is on a desktop.
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1
# Sound plays nowhere for both, so that neither pays for a device the other lacks.
export VELO_AUDIO_OUTPUT=null

# cpu_of PID: the share of one core PID used over $seconds, in per cent.
cpu_of() {
    local pid=$1 ticks=$(getconf CLK_TCK) t0 t1 s0 s1
    t0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat"); s0=$(date +%s%N)
    sleep "$seconds"
    t1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat"); s1=$(date +%s%N)
    awk -v t="$((t1 - t0))" -v k="$ticks" -v ns="$((s1 - s0))" 'BEGIN { printf "%.1f", 100 * t / k / (ns / 1e9) }'
}
rss_of() { awk '/^VmRSS:/ { printf "%.0f", $2 / 1024 }' "/proc/$1/status"; }

rows=()
row() { rows+=("$(printf '%-10s %-26s %8s %8s' "$1" "$2" "$3" "$4")"); }

for output in opengl software; do
    rm -rf "$XDG_CONFIG_HOME"
    # Only the client's events: the stall timer of a full trace would be a cost of its own.
    VELO_TRACE=events VELO_VIDEO_OUTPUT=$output "$program/velo" 2>"$work/$output.trace" >/dev/null &
    client=$!
    pids+=("$client")
    wait_for "$work/$output.trace" startup-finished 1 60
    wait_for "$work/$output.trace" signed-in 1 60
    sleep 3
    id=$(xdotool search --sync --onlyvisible --name 'VELOライブテレビクライアント' | head -n1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    row "$output" "at rest, shown" "$(cpu_of "$client")" "$(rss_of "$client")"
    xdotool windowminimize --sync "$id"
    sleep 1
    row "$output" "at rest, minimised" "$(cpu_of "$client")" "$(rss_of "$client")"
    xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowmap --sync "$id"
    sleep 1
    # The first channel, as a user plays it: a double-click on its row.
    xdotool mousemove $((X + 680)) $((Y + 148)) click --repeat 2 --delay 80 1
    wait_for "$work/$output.trace" play-requested 1 20
    sleep 4
    playing=$(cpu_of "$client")
    row "$output" "playing" "$playing" "$(rss_of "$client")"
    kill "$client"; wait "$client" 2>/dev/null || true

    # The mpv command on the same display, the same stream and the pane's size.
    case $output in
        opengl) vo=(--vo=gpu --gpu-sw=yes) ;;
        software) vo=(--vo=x11) ;;
    esac
    auth=$(printf '%s' 'demo@velo.example:demo1234' | base64)
    mpv --no-config --really-quiet --ao=null --ytdl=no "${vo[@]}" --geometry=585x500+100+100 \
        --http-header-fields="Authorization: Basic $auth" "$server/live/101.ts" \
        >"$work/mpv-$output.log" 2>&1 &
    reference=$!
    pids+=("$reference")
    sleep 4
    mpv_cpu=$(cpu_of "$reference")
    row "$output" "mpv ${vo[*]}" "$mpv_cpu" "$(rss_of "$reference")"
    kill "$reference"; wait "$reference" 2>/dev/null || true
    rows+=("$(awk -v c="$playing" -v m="$mpv_cpu" -v o="$output" \
        'BEGIN { printf "%-10s %-26s %8.2fx", o, "playing / mpv", (m > 0 ? c / m : 0) }')")
done

printf '%-10s %-26s %8s %8s\n' output case "CPU %" "RSS MB"
printf '%s\n' "${rows[@]}"
echo "aims: at rest under 3 % shown and under 1 % minimised; playing within 1.3x of mpv"
