#!/usr/bin/env bash
# Runs a test program on a virtual display that has a notification area (trayer), for the tests
# of the tray icon and its balloon. With --late there is none: the test starts one itself.
# usage: tests/support/with-tray.sh [--late] PROGRAM [ARGS...]
set -euo pipefail
late=
if [ "${1:-}" = --late ]; then
    late=1
    shift
fi
work=$(mktemp -d)
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
if [ -n "$late" ]; then
    export VELO_LATE_TRAY=1
    "$@"
    exit
fi
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false >"$work/trayer.log" 2>&1 &
pids+=($!)
# The tests wait for the notification area themselves, and fail if it never comes.
export VELO_EXPECT_TRAY=1
"$@"
