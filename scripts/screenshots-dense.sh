#!/usr/bin/env bash
# Takes the screenshots of a screen of high density: the client at QT_SCALE_FACTOR=FACTOR (2 by
# default, 1.5 for a fractional one) on a virtual display, against the reference service: the
# sign-in dialog, the signed-in window with its list, a channel playing, the about box and the
# new-version balloon at the tray icon. Each is cut to what the client shows and saved as
# NAME@FACTORx.png.
# usage: scripts/screenshots-dense.sh BUILDDIR OUTDIR [FACTOR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
factor=${3:-2}
work=$(mktemp -d /tmp/velo-dense.XXXXXX)
pids=()
client=
cleanup() { for pid in "${pids[@]}" $client; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

source scripts/start-service.sh
start_demo "$build" "$work"
export XDG_CONFIG_HOME="$work/config"
cli="$build/tools/velo-cli/velo-cli"

# Room for the window of 800 by 530 at twice its size, with the tray's panel below it.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$factor
trayer --edge bottom --align right --widthtype request --height 64 --SetDockType true \
    --transparent false >"$work/trayer.log" 2>&1 &
pids+=($!)
read -r width height < <(xdpyinfo | sed -n 's/ *dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')

# A length of the program's pixels in the screen's.
px() { awk -v n="$1" -v f="$factor" 'BEGIN { printf "%d", n * f + 0.5 }'; }
# The window whose title is $1, its corner and size on the screen (wx, wy, ww, wh).
find_window() {
    local id=
    for _ in $(seq 60); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) && [ -n "$id" ] && break
        sleep 0.5
    done
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; cat "$work/client.log" >&2; exit 1; }
    eval "$(xdotool getwindowgeometry --shell "$id")"
    wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
}
# A point of the window found last, in the program's pixels, as the user's pointer reaches it.
at() { xdotool mousemove $((wx + $(px "$1"))) $((wy + $(px "$2"))) "${@:3}"; }
# The screen cut to the window found last (or to the box given), after a pause.
shot() {
    local name=$1 box=${3:-${ww}x${wh}+${wx}+${wy}}
    sleep "${2:-0.8}"
    import -window root "$work/root.png"
    convert "$work/root.png" -crop "$box" +repage "$out/$name@${factor}x.png"
    echo "$out/$name@${factor}x.png"
}
start_client() {
    "$program/velo" >>"$work/client.log" 2>&1 &
    client=$!
}
stop_client() {
    kill "$client" 2>/dev/null || true
    wait "$client" 2>/dev/null || true
    client=
}

# Nothing remembered yet: the window asks for a sign-in, and its button opens the dialog.
start_client
find_window 'VELOライブテレビクライアント'
sleep 2
at 765 45 click 1
find_window '^VELO$'
shot login-dialog 1.5
stop_client

"$cli" --dir "$program" login demo@velo.example demo1234 --remember >/dev/null
start_client
find_window 'VELOライブテレビクライアント'
# Signed in, with the list and the banner downloaded.
shot main-window 5
# The list's first channel, on the third row below the search field.
at 685 148 click --repeat 2 --delay 80 1
shot client-playing 4
# The program's menu at its icon, and its first entry.
at 12 12 click 1
sleep 0.5
xdotool key Down Return
find_window 'VELOについて'
shot about-box 1
xdotool key Escape
stop_client

curl -fsS -d mode=new "${server%/}/control/update" >/dev/null
start_client
find_window 'VELOライブテレビクライアント'
# The balloon rises from the tray icon at the screen's bottom right corner.
shot update-balloon 3 "$(px 1000)x$(px 130)+$((width - $(px 1000)))+$((height - $(px 130)))"
stop_client
