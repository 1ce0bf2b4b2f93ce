# What bench/soak.sh needs beside lib.sh: the client's timing lines read as they come, the
# client's window driven with xdotool, the service stopped and started again on its own port, and
# small file checks. Sourced after lib.sh, not run.

# now: milliseconds of the wall clock, without starting a process.
now_ms() {
    local t=${EPOCHREALTIME/./}
    now=$((10#$t / 1000))
}

seconds_of() {  # MS: "S.mmm", for read -t
    printf -v secs '%d.%03d' $(($1 / 1000)) $(($1 % 1000))
}

# follow LOG [LINE]: the client's timing lines in LOG from line LINE (default 1) on, as they come.
follow() {
    unfollow
    exec {trace_fd}< <(exec tail -s 0.05 -n "+${2:-1}" -F "$1" 2>/dev/null)
    follow_pid=$!
    partial=
}

unfollow() {
    if [ -n "${follow_pid:-}" ]; then
        kill "$follow_pid" 2>/dev/null || true
        exec {trace_fd}<&-
        follow_pid=
    fi
}

# next_event EVENTS SECONDS: reads timing lines until one whose event matches the extended pattern
# EVENTS; sets ev, ev_ms (the client's own time), ev_stall, and raises stall_seen to the longest
# stall of every line read. False when none comes in time.
next_event() {
    local pattern=$1 deadline chunk
    now_ms
    deadline=$((now + $2 * 1000))
    while :; do
        now_ms
        [ $((deadline - now)) -gt 0 ] || return 1
        seconds_of $((deadline - now))
        if ! IFS= read -r -t "$secs" -u "$trace_fd" chunk; then
            partial+=$chunk
            continue
        fi
        chunk=$partial$chunk
        partial=
        [[ $chunk =~ ^velo-trace\ (-?[0-9]+)\ ([^ ]+)\ stall-max-ms=([0-9]+)$ ]] || continue
        ev_ms=${BASH_REMATCH[1]} ev=${BASH_REMATCH[2]} ev_stall=${BASH_REMATCH[3]}
        if [ "$ev_stall" -gt "$stall_seen" ]; then stall_seen=$ev_stall; fi
        if [[ $ev =~ ^($pattern)$ ]]; then return 0; fi
    done
}
stall_seen=0

# has_event LOG EVENT: the client has written EVENT to LOG.
has_event() { grep -q "^velo-trace [0-9-]* $2 " "$1" 2>/dev/null; }

# wait_event LOG EVENT SECONDS: like lib.sh's wait_for, but false instead of ending the run.
wait_event() {
    local deadline=$((SECONDS + $3))
    until has_event "$1" "$2"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}

# longest_stall LOG: the longest GUI stall on any timing line after the first paint.
longest_stall() {
    awk '/^velo-trace / { if (painted) { split($4, s, "="); if (s[2] > m) m = s[2] }
                          if ($3 == "first-paint") painted = 1 }
         END { print m + 0 }' "$1"
}

# stall_after LOG EVENTS: the longest GUI stall on the timing lines after the first EVENTS line
# (an extended pattern), that line excluded: what the window spent on what came then.
stall_after() {
    awk -v pattern="^($2)\$" '/^velo-trace / { if (seen) { split($4, s, "="); if (s[2] > m) m = s[2] }
                                               if ($3 ~ pattern) seen = 1 }
         END { print m + 0 }' "$1"
}

status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
mb() { awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'; }
alive() { kill -0 "$1" 2>/dev/null; }

# client_window: the client's main window (sets win, wx, wy); false when it does not show.
client_window() {
    local found
    for _ in $(seq 100); do
        found=$(xdotool search --onlyvisible --pid "$client" --name 'VELOライブテレビクライアント' \
            2>/dev/null | head -n1 || true)
        if [ -n "$found" ]; then
            win=$found
            eval "$(xdotool getwindowgeometry --shell "$win" | grep -E '^(X|Y)=')"
            wx=$X wy=$Y
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Keys go to the window the way a viewer's do: the window has the focus and the keys are typed.
keys() { xdotool windowfocus --sync "$win" key --delay 20 "$@"; }

# type_channel ID: the channel's number, then Enter.
type_channel() {
    local digits=()
    for ((k = 0; k < ${#1}; k++)); do digits+=("${1:k:1}"); done
    keys "${digits[@]}" Return
}

# The first channel's row (below the search field, under the first group's heading).
click_first_channel() { xdotool mousemove $((wx + 680)) $((wy + 148)) click --repeat "${1:-1}" --delay 80 1; }

# close_client: the caption's close button, as a user closes it; false when the client does not
# finish closing within 20 s (it is killed then).
close_client() {
    local log=$1
    xdotool mousemove $((wx + 784)) $((wy + 11)) click 1
    if wait_event "$log" close-finished 20; then
        for _ in $(seq 100); do alive "$client" || break; sleep 0.1; done
    fi
    if alive "$client"; then
        kill -KILL "$client" 2>/dev/null || true
        wait "$client" 2>/dev/null || true
        return 1
    fi
    wait "$client" 2>/dev/null || true
}

# script ENDPOINT QUERY [BODYFILE]: a fault script for the next request(s) to ENDPOINT.
script() {
    local body=${3:-/dev/null}
    curl -sf -X POST --data-binary "@$body" -H 'Content-Type: application/octet-stream' \
        "$server/control/script?endpoint=$1&$2" >/dev/null ||
        { echo "the service refused the script $1 $2" >&2; exit 1; }
}

# start_service_at HOST PORT DATADIR: the reference service again where it was; sets service_pid.
start_service_at() {
    local out=$work/service-again.out
    for _ in $(seq 50); do
        "$build/tools/refservice/refservice" --listen "$1:$2" --data "$3" \
            >"$out" 2>>"$work/service-again.log" &
        service_pid=$!
        pids+=("$service_pid")
        for _ in $(seq 100); do
            grep -q '^refservice listening' "$out" 2>/dev/null && return 0
            alive "$service_pid" || break
            sleep 0.05
        done
        # The port may still be held for a moment by the service that was killed.
        sleep 0.2
    done
    echo "the reference service did not start again on $1:$2" >&2
    cat "$work/service-again.log" >&2
    exit 1
}

# whole_ini FILE: every line a section or a key, ending with a line break, no zero byte.
whole_ini() {
    [ -s "$1" ] && [ "$(tail -c1 "$1" | od -An -c | tr -d ' ')" = '\n' ] &&
        ! grep -qaP '\x00' "$1" && ! grep -qavE '^(\[[^]]+\]|[^=[]+=.*|)$' "$1"
}

# Percentiles of the numbers in FILE, one a line: "median p95 max".
spread() {
    sort -n "$1" | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "- - -"; exit }
        m = v[int((NR + 1) / 2)]; p = v[int(NR * 0.95 + 0.999)]; printf "%d %d %d\n", m, p, v[NR] }'
}
