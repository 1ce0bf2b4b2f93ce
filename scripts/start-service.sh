# The reference service for the scripts (the demo, the benchmarks, the screenshots), on a
# loopback address of its own, so that they and the tests can all run on one machine at once.
# Sourced, not run.
#
# start_refservice BUILDDIR DATADIR WORKDIR [ads]: starts the service with its data in DATADIR
# (its output in WORKDIR/service.out and .log), with "ads" the advertisement server too on port
# 7006 of the same address, and waits until it listens. The address is VELO_SERVICE_ADDRESS when
# set, else one the service picks as free (with the client's datagram ports free beside it).
# Sets $address (the service's loopback address), $server (its web server, http://ADDRESS:PORT)
# and $service_pid; exits the script when the service does not come up.
start_refservice() {
    local build=$1 data=$2 out=$3 host=${VELO_SERVICE_ADDRESS:-auto} line=
    local args=(--listen "$host:0" --data "$data")
    [ "${4:-}" != ads ] || args+=(--ad-listen "$host:7006")
    "$build/tools/refservice/refservice" "${args[@]}" >"$out/service.out" 2>"$out/service.log" &
    service_pid=$!
    for _ in $(seq 300); do
        line=$(grep -m1 '^refservice listening ' "$out/service.out" 2>/dev/null || true)
        [ -n "$line" ] && break
        kill -0 "$service_pid" 2>/dev/null || break
        sleep 0.1
    done
    # "refservice listening http://ADDRESS:PORT udp ADDRESS:PORT"
    server=$(sed -n 's|^refservice listening \(http://[^ ]*\) .*|\1|p' <<<"$line")
    address=${server#http://}
    address=${address%:*}
    if [ -z "$server" ]; then
        cat "$out/service.log" >&2
        echo "the reference service did not start" >&2
        exit 1
    fi
}

# start_demo BUILDDIR WORKDIR [ID PASSWORD]: the service with its advertisement server, the
# streams' clips made, and a program folder WORKDIR/program pointed at both (signed in with ID
# and PASSWORD when given), its playback control made known, and the user's folders in WORKDIR.
# Sets what start_refservice sets, and $program; the service's process joins the $pids array.
start_demo() {
    local build=$1 work=$2
    "$build/tools/refservice/refservice" --make-clips
    start_refservice "$build" "$work/service" "$work" ads
    pids+=("$service_pid")
    program="$work/program"
    "$(dirname "${BASH_SOURCE[0]}")/prepare-program.sh" "$build" "$program" "$server" "${@:3}"
    "$build/tools/velo-cli/velo-cli" --dir "$program" config set AdServer "$address" >/dev/null
    export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    "$program/velo-regctl" /s "$program/codec/Zar.ocx"
}
