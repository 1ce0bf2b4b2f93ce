# Shared by the client benchmarks: a reference service, a program folder pointed at it, a
# virtual display, and the client started with its timing lines on. Sourced, not run.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: $0 BUILDDIR}" && pwd)
work=$(mktemp -d /tmp/velo-bench.XXXXXX)
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
source "$repo/scripts/start-service.sh"

# start_service DATADIR: the reference service on a loopback address of its own; sets $server
# (its web server) and $address (its loopback address).
start_service() {
    start_refservice "$build" "$1" "$work"
    pids+=("$service_pid")
}

# prepare_program: a fresh program folder signed in with the demo account; sets $program.
prepare_program() {
    program="$work/program"
    rm -rf "$program"
    "$repo/scripts/prepare-program.sh" "$build" "$program" "$server" demo@velo.example demo1234
    export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
    mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
    chmod 700 "$XDG_RUNTIME_DIR"
    "$program/velo-regctl" /s "$program/codec/Zar.ocx"
}

start_display() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
}

# start_client LOG: the client with its timing lines going to LOG; sets $client.
start_client() {
    VELO_TRACE=1 "$program/velo" 2>"$1" >/dev/null &
    client=$!
    pids+=($client)
}

# wait_for LOG EVENT [COUNT] [SECONDS]: until LOG holds COUNT lines of EVENT.
wait_for() {
    local count=${3:-1} deadline=$((SECONDS + ${4:-60}))
    until [ "$(grep -c "^velo-trace [0-9-]* $2 " "$1" 2>/dev/null || true)" -ge "$count" ]; do
        [ $SECONDS -lt $deadline ] || { echo "no '$2' in $1:" >&2; cat "$1" >&2; exit 1; }
        sleep 0.05
    done
}
