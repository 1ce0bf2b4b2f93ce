#!/usr/bin/env bash
# Runs the client against the reference service in a fresh folder. With a display the client
# opens there; without one it runs under Xvfb: once its window shows the signed-in status and the
# channel list, the first channel is double-clicked, and once the player pane shows its moving
# picture a screenshot is saved and its path printed.
# usage: scripts/client-demo.sh BUILDDIR [SCREENSHOT]
# The service takes a free loopback address of its own (VELO_SERVICE_ADDRESS picks one instead).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/velo-demo.XXXXXX)
shot=${2:-$work/velo-screenshot.png}
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

# Each channel's clip is made once per machine and kept; later runs find them at once. The
# advertisements come from the same host, on the advertisement server's own port; the playback
# control is made known before the first start, as an installer would.
source scripts/start-service.sh
start_demo "$build" "$work" demo@velo.example demo1234
echo "Reference service: $server (demo account demo@velo.example / demo1234)"
echo "Program folder:    $program"

if [ -n "${DISPLAY:-}" ] && [ -z "${VELO_HEADLESS:-}" ]; then
    "$program/velo"
    exit 0
fi

# A run without a display starts from nothing remembered: the window where a new one opens.
export XDG_CONFIG_HOME="$work/config"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
"$program/velo" >"$work/client.log" 2>&1 &
client=$!
pids+=($client)
ready=
for _ in $(seq 60); do
    sleep 0.5
    import -window root "$shot" 2>/dev/null || continue
    if "$build/tools/screencheck/screencheck" "$shot" >"$work/check.txt"; then
        cat "$work/check.txt"
        ready=1
        break
    fi
done
if [ -z "$ready" ]; then
    cat "$work/check.txt" "$work/client.log" >&2 || true
    echo "the client did not show its signed-in window with the channel list (last screenshot: $shot)" >&2
    exit 1
fi

# The first channel of the list, as a user would: a double-click on its row. The window opens
# centred, its list 210 pixels from the right edge below the search field, and its first
# channel on the third row.
read -r width height < <(xdpyinfo | sed -n 's/ *dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')
x=$(( (width - 800) / 2 + 685 )) y=$(( (height - 530) / 2 + 148 ))
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
for _ in $(seq 40); do
    sleep 0.5
    import -window root "$work/first.png" 2>/dev/null || continue
    sleep 0.6
    import -window root "$shot" 2>/dev/null || continue
    if "$build/tools/screencheck/screencheck" --playing "$work/first.png" "$shot" >"$work/check.txt"; then
        cat "$work/check.txt"
        echo "Screenshot: $shot"
        exit 0
    fi
done
cat "$work/check.txt" "$work/client.log" >&2 || true
echo "the double-clicked channel did not play in the player pane (last screenshot: $shot)" >&2
exit 1
