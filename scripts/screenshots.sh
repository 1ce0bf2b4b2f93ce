#!/usr/bin/env bash
# Takes the screenshots that need a user's hand, on a virtual display with a notification area,
# against the reference service: the search for "anime", the favourite and recent groups, the
# tray menu, the new-version balloon at the tray icon and the mandatory-update prompt.
# usage: scripts/screenshots.sh BUILDDIR OUTDIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
work=$(mktemp -d /tmp/velo-shots.XXXXXX)
pids=()
client=
cleanup() { for pid in "${pids[@]}" $client; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

source scripts/start-service.sh
start_demo "$build" "$work" demo@velo.example demo1234
export XDG_CONFIG_HOME="$work/config"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true \
    --transparent false >"$work/trayer.log" 2>&1 &
pids+=($!)
read -r width height < <(xdpyinfo | sed -n 's/ *dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')

# Starts the client and waits until its signed-in window shows the list; wx, wy: its corner.
start_client() {
    "$program/velo" >>"$work/client.log" 2>&1 &
    client=$!
    for _ in $(seq 60); do
        sleep 0.5
        import -window root "$work/now.png" 2>/dev/null || continue
        if "$build/tools/screencheck/screencheck" "$work/now.png" >/dev/null; then
            break
        fi
    done
    local id
    id=$(xdotool search --name 'VELOライブテレビクライアント' | head -n1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    wx=$X wy=$Y
}
stop_client() {
    kill "$client" 2>/dev/null || true
    wait "$client" 2>/dev/null || true
    client=
}
# A point of the window, as the user's pointer reaches it.
at() { xdotool mousemove $((wx + $1)) $((wy + $2)) "${@:3}"; }
shot() { sleep "${2:-0.8}"; import -window root "$out/$1"; echo "$out/$1"; }

start_client
# Two channels watched, two made favourites from their menu (its last entry).
at 685 148 click --repeat 2 --delay 80 1
sleep 2
at 685 248 click --repeat 2 --delay 80 1
sleep 1
# アニメ・ステーション, then J-POPヒッツ two rows further down once the favourites group shows.
for row in 298 373; do
    at 685 "$row" click 3
    sleep 0.5
    xdotool key Up Return
    sleep 0.3
done
shot favourites-and-recent.png 1.5
at 700 72 click 1
xdotool type --delay 120 anime
shot search-anime.png
xdotool key Escape
stop_client

curl -fsS -d mode=new "${server%/}/control/update" >/dev/null
start_client
shot update-balloon.png 2
# Once the balloon has closed by itself: the tray icon's menu. The icon sits at the
# notification area's right end.
sleep 8
xdotool mousemove $((width - 16)) $((height - 16)) click 3
shot tray-menu.png
xdotool key Escape
stop_client

curl -fsS -d mode=mandatory "${server%/}/control/update" >/dev/null
"$program/velo" >>"$work/client.log" 2>&1 &
client=$!
shot update-prompt.png 8
stop_client
