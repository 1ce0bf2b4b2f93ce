#!/usr/bin/env bash
# The client's channel list as a screen reader finds it from outside the process: the client
# runs under Xvfb with its own session bus and accessibility bus, signed in against the reference
# service, and another process reads the list's rows over AT-SPI.
# usage: tests/ui/atspi/rows-from-outside.sh BUILDDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
build=$(cd "${1:?usage: $0 BUILDDIR}" && pwd)
if [ -z "${VELO_ATSPI_SESSION:-}" ]; then
    # A session bus of the check's own, so that no desktop's screen reader is in the way.
    exec env VELO_ATSPI_SESSION=1 dbus-run-session -- "$0" "$@"
fi
work=$(mktemp -d)
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
source "$repo/scripts/start-service.sh"
start_refservice "$build" "$work/data" "$work"
pids+=("$service_pid")
"$repo/scripts/prepare-program.sh" "$build" "$work/program" "$server" demo@velo.example demo1234
export XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" \
    XDG_RUNTIME_DIR="$work/home/runtime" VELO_AUDIO_OUTPUT=null VELO_VIDEO_OUTPUT=software
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
"$work/program/velo-regctl" /s "$work/program/codec/Zar.ocx"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
# Qt speaks to the accessibility bus only when asked to or when a screen reader runs.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/program/velo" >"$work/client.log" 2>&1 &
pids+=($!)

"$here/rows.py" 60 >"$work/rows.txt" || { cat "$work/client.log" >&2; exit 1; }
cat "$work/rows.txt"
failed=0
for expected in "tree チャンネル一覧" "row + 人気チャンネル" "row - VELOニュース24" "row - 洋画プレミアム  VIP"; do
    grep -qxF "$expected" "$work/rows.txt" || { echo "missing: $expected" >&2; failed=1; }
done
exit $failed
