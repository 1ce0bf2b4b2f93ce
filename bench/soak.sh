#!/usr/bin/env bash
# Soak and faults: the real client under Xvfb against the reference service, through what wears a
# client down: 500 channel changes from the keyboard, the service going away and coming back,
# broken streams, hostile replies, a full disk, and being killed while it saves. The client says
# what it shows in its own timing lines (VELO_TRACE); the service and the files say the rest. Not
# a test: it prints what it measured, it does not judge.
# usage: bench/soak.sh BUILDDIR      (needs Xvfb, xdotool and curl; the full-disk row needs root)
# VELO_SERVICE_ADDRESS: the service's loopback address (default: one of its own); VELO_SOAK_ZAPS: the
# number of channel changes (default 500); VELO_SOAK_KILLS: kill rounds of five saves (default 20);
# VELO_SOAK_ROWS: some of "zapping faults service hostile disk kill" (default all); VELO_SOAK_KEEP:
# a folder that gets the client's timing lines of every run.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/soak-lib.sh"
for tool in xdotool curl; do
    command -v "$tool" >/dev/null || { echo "soak.sh needs $tool" >&2; exit 2; }
done
zaps=${VELO_SOAK_ZAPS:-500}
kills=${VELO_SOAK_KILLS:-20}
rows=" ${VELO_SOAK_ROWS:-zapping faults service hostile disk kill} "
wants() { [[ $rows == *" $1 "* ]]; }
# The benchmark has no use for sound; the client's own fallback would try every device first.
export VELO_AUDIO_OUTPUT=null
cli="$build/tools/velo-cli/velo-cli"

mounts=()
soak_cleanup() {
    unfollow
    if [ -n "${VELO_SOAK_KEEP:-}" ]; then
        mkdir -p "$VELO_SOAK_KEEP" && cp "$work"/*.trace "$VELO_SOAK_KEEP/" 2>/dev/null || true
    fi
    for m in "${mounts[@]}"; do umount -l "$m" 2>/dev/null || true; done
    cleanup
}
trap soak_cleanup EXIT

table=()
row() { table+=("$(printf '%-17s %-50s %s' "$1" "$2" "$3")"); }
say() { echo "soak: $*" >&2; }
began=$SECONDS

# The streams' clips are made once per machine and kept; a fresh machine spends this first.
"$build/tools/refservice/refservice" --make-clips
clips_s=$((SECONDS - began))

data="$work/service"
start_service "$data"
service_pid=${pids[-1]}
hostport=${server#*://}
service_host=${hostport%:*} service_port=${hostport##*:}
prepare_program
start_display

# streams CHANNEL: how many stream connections the service has opened for CHANNEL.
streams() {
    curl -sf "$server/control/streams" | tr -d ' \n' |
        sed -n 's/.*"streamRequests":{\([^}]*\)}.*/\1/p' | tr ',' '\n' |
        sed -n "s/^\"$1\":\([0-9]*\)$/\1/p" | grep . || echo 0
}

# start_watching: the client the first three rows share, signed in and playing its first channel.
start_watching() {
    trace="$work/c1.trace"
    start_client "$trace"
    wait_event "$trace" startup-finished 60 && wait_event "$trace" signed-in 30 ||
        { cat "$trace" >&2; echo "the client did not start signed in" >&2; exit 1; }
    client_window || { echo "the client's window did not show" >&2; exit 1; }
    follow "$trace" $(($(wc -l <"$trace") + 1))
    # The first channel by a double-click, which also puts the focus in the list.
    click_first_channel 2
    next_event play-requested 20 && next_event picture-shown 30 ||
        { echo "the first channel did not play" >&2; exit 1; }
}

# ---------------------------------------------------------------- zapping
zapping() {
    say "zapping: $zaps channel changes"
    zap_began=$SECONDS
    ids=(201 303 102 501 902 104 305 404 601 803 203 702 302 503 901 103 604 402)
    : >"$work/zap-ms"
    pictures=0 notices=0 neither=0 unasked=0 over100=0 worst=0 crashed=no rss50=0
    nexts=0 backs=0 typed=0 slow="" resident=""
    for ((i = 1; i <= zaps; i++)); do
        stall_seen=0
        case $((i % 10)) in
            3 | 8) kind=Backspace; keys BackSpace; backs=$((backs + 1)) ;;
            5) kind=typed; type_channel "${ids[$(((i / 10) % ${#ids[@]}))]}"; typed=$((typed + 1)) ;;
            *) kind=PageDown; keys Next; nexts=$((nexts + 1)) ;;
        esac
        if ! next_event play-requested 10; then
            unasked=$((unasked + 1))
        else
            asked=$ev_ms
            if next_event 'picture-shown|notice-[a-z-]+' 25; then
                if [ "$ev" = picture-shown ]; then pictures=$((pictures + 1)); else notices=$((notices + 1)); fi
                echo $((ev_ms - asked)) >>"$work/zap-ms"
            else
                neither=$((neither + 1))
            fi
        fi
        if [ "$stall_seen" -gt 100 ]; then
            over100=$((over100 + 1))
            slow+="${slow:+, }$i ($kind ${stall_seen} ms)"
        fi
        if [ "$stall_seen" -gt "$worst" ]; then worst=$stall_seen; fi
        if [ "$i" -eq 50 ]; then rss50=$(status_kb "$client" VmRSS); fi
        if [ $((i % 100)) -eq 0 ]; then resident+="${resident:+ / }$(mb "$(status_kb "$client" VmRSS)")"; fi
        if ! alive "$client"; then crashed="yes, at zap $i"; break; fi
        if [ $((i % 100)) -eq 0 ]; then say "zapping: $i done"; fi
    done
    rss_end=$(status_kb "$client" VmRSS)
    read -r zap_median zap_p95 zap_max < <(spread "$work/zap-ms")
    zap_s=$((SECONDS - zap_began))
    row zapping "channel changes (PageDown / Backspace / typed id)" "$zaps ($nexts / $backs / $typed)"
    row "" "picture shown / notice shown / neither / no request" \
        "$pictures / $notices / $neither / $unasked"
    row "" "request to picture, median / p95 / max" "$zap_median / $zap_p95 / $zap_max ms"
    row "" "longest GUI stall in one change (aim: <= 100 ms)" "$worst ms"
    row "" "changes with a stall over 100 ms (aim: 0)" "$over100${slow:+: $slow}"
    row "" "resident after 50 / after the last" "$(mb "$rss50") / $(mb "$rss_end") MB"
    row "" "resident every 100 changes" "$resident MB"
    row "" "growth from 50 to the last (aim: < 10 MB)" "$(mb $((rss_end - rss50))) MB"
    row "" "crashed" "$crashed"
    row "" "time for the row" "${zap_s} s"
    alive "$client" || { printf '%s\n' "${table[@]}"; exit 1; }
}

# ---------------------------------------------------------------- stream faults
# fault NAME ACTION QUERY CHANNEL SECONDS: the fault for the next stream, then a change to CHANNEL;
# what the pane shows until it shows a picture again after a notice, or SECONDS pass.
fault() {
    local name=$1 action=$2 query=$3 channel=$4 watch=$5 seen="" noticed="" verdict asked end before
    curl -sf -X POST --data-binary "" "$server/control/reset" >/dev/null
    script %2Flive "action=$action&$query"
    before=$(streams "$channel")
    stall_seen=0
    type_channel "$channel"
    if ! next_event play-requested 10; then
        row "" "$name" "no play request"
        return
    fi
    asked=$ev_ms
    now_ms
    end=$((now + watch * 1000))
    verdict=""
    while now_ms && [ "$now" -lt "$end" ] && next_event 'picture-shown|notice-[a-z-]+' $(((end - now + 999) / 1000)); do
        seen+="${seen:+, }${ev#notice-} $(awk -v ms=$((ev_ms - asked)) 'BEGIN { printf "%.1f", ms / 1000 }') s"
        case $ev in
            notice-*) noticed=$ev ;;
            picture-shown) if [ -n "$noticed" ]; then verdict="picture again"; break; fi ;;
        esac
    done
    if [ -z "$verdict" ]; then
        if [ -n "$noticed" ]; then verdict="notice stays ($watch s)"
        elif [ -n "$seen" ]; then verdict="picture, no notice ($watch s)"
        else verdict="nothing shown ($watch s)"; fi
    fi
    alive "$client" || verdict="CRASHED"
    row "" "$name: $verdict" "$seen; streams opened $(($(streams "$channel") - before)); stall $stall_seen ms"
}

faults() {
    say "stream faults"
    row "stream faults" "(times from the play request; stall = longest GUI stall)" ""
    fault "stall 30 s after 3 s" silence "delay_ms=3000&hold_ms=30000" 201 30
    fault "cut inside a packet after 3 s" truncate "delay_ms=3000" 301 16
    fault "garbage bytes after 3 s" garbage "delay_ms=3000&hold_ms=30000" 401 30
    fault "refused 403 once" reply "status=403" 501 20
    fault "missing 404 once" reply "status=404" 601 20
    curl -sf -X POST --data-binary "" "$server/control/reset" >/dev/null
    alive "$client" || { printf '%s\n' "${table[@]}"; exit 1; }
}

# ---------------------------------------------------------------- service gone and back
service_gone() {
    say "service gone and back"
    stall_seen=0
    type_channel 101
    next_event play-requested 10 && next_event picture-shown 30 ||
        { echo "channel 101 did not play before the service went" >&2; exit 1; }
    now_ms
    asked_wall=$now
    # The session identity the client holds: the newest the service handed out.
    old_uuid=$(curl -sf "$server/control/state" | tr -d ' \n' | sed -n 's/.*"uuids":\[\([^]]*\)\].*/\1/p' |
        tr ',' '\n' | tail -n1 | tr -d '"')
    sleep 2
    kill -KILL "$service_pid"
    wait "$service_pid" 2>/dev/null || true
    now_ms
    gone=$now
    seen=""
    while now_ms && [ $((now - gone)) -lt 20000 ] && next_event 'picture-shown|notice-[a-z-]+' $(((gone + 20000 - now + 999) / 1000)); do
        now_ms
        at=$(awk -v ms=$((now - gone)) 'BEGIN { printf "%.1f", ms / 1000 }')
        seen+="${seen:+, }${ev#notice-} $at s"
    done
    now_ms
    sleep "$(awk -v ms=$((gone + 20000 - now)) 'BEGIN { printf "%.3f", (ms > 0 ? ms / 1000 : 0) }')"
    start_service_at "$service_host" "$service_port" "$data"
    now_ms
    back=$now
    if next_event picture-shown 60; then
        now_ms
        picture_back="$(awk -v ms=$((now - back)) 'BEGIN { printf "%.1f", ms / 1000 }') s after the service"
    else
        picture_back="not within 60 s"
    fi
    pulse_old=$(curl -sf "$server/pulse.action?uuid=$old_uuid" | tr -d '\n' || true)
    # The balance query goes out two minutes after the last channel was asked for.
    now_ms
    if next_event 'balance-answered|balance-unanswered' $(((asked_wall + 150000 - now) / 1000)); then
        now_ms
        balance="${ev#balance-} $(((now - asked_wall) / 1000)) s after the last play request"
    else
        balance="no query within 150 s"
    fi
    balance_datagrams=$(curl -sf "$server/control/state" | tr -d ' \n' |
        sed -n 's/.*"datagrams":{[^}]*"002":\([0-9]*\).*/\1/p')
    prompts=""
    # Any window of the client's beside its main window would be a prompt.
    for w in $(xdotool search --onlyvisible --pid "$client" --name . 2>/dev/null || true); do
        [ "$w" != "$win" ] || continue
        prompts+="${prompts:+, }$(xdotool getwindowname "$w") $(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p')"
    done
    prompts=${prompts:-none}
    stall_seen=0
    keys Next
    if next_event play-requested 10 && next_event picture-shown 30; then after="plays, no sign-in asked"; else after="did not play"; fi
    service_stall=$stall_seen
    pulse_cli=$("$cli" --dir "$program" pulse 2>&1 | tail -n1 || true)
    row "service gone" "killed while playing, started again after 20 s" "$service_host:$service_port, same data"
    row "" "the pane while it was gone" "${seen:-nothing}"
    row "" "picture back (aim: within 35 s of its return)" "$picture_back"
    row "" "identity held before, pulsed to the new service" "$pulse_old"
    row "" "balance query (every 2 min) to the new service" "$balance; service counted ${balance_datagrams:-?}"
    row "" "keep-alive (every 10 min; velo-cli's pulse stands in)" "$pulse_cli"
    row "" "sign-in prompts shown / next channel change" "$prompts / $after (stall $service_stall ms)"
}

# ---------------------------------------------------------------- hostile replies
# hostile NAME ENDPOINT FILE: the reply for the client's next request to ENDPOINT, at its start.
hostile() {
    local name=$1 endpoint=$2 file=$3 log outcome started took hwm stall retried closed
    log="$work/hostile-$(basename "$file" .xml).trace"
    curl -sf -X POST --data-binary "" "$server/control/reset" >/dev/null
    script "$endpoint" "action=reply&status=200" "$file"
    rm -f "$program/tvchannel.xml"
    now_ms
    started=$now
    start_client "$log"
    outcome="no outcome within 120 s"
    took=""
    for _ in $(seq 2400); do
        if [ "$endpoint" = %2Ftvprogram.action ]; then
            ev=$(grep -oE '^velo-trace [0-9]+ list-[a-z-]+ ' "$log" | head -n1 | cut -d' ' -f3 || true)
        else
            ev=$(grep -oE '^velo-trace [0-9]+ (signed-in|not-signed-in) ' "$log" | head -n1 | cut -d' ' -f3 || true)
        fi
        if [ -n "$ev" ]; then
            now_ms
            outcome=$ev took="$(((now - started))) ms"
            break
        fi
        alive "$client" || { outcome=CRASHED; break; }
        sleep 0.05
    done
    wait_event "$log" startup-finished 120 || true
    hwm=$(status_kb "$client" VmHWM)
    retried=""
    if [ "$outcome" = list-not-downloaded ] || [ "$outcome" = list-unreadable ]; then
        # The notice counts ten seconds down and fetches the list again, which is whole now.
        if wait_event "$log" list-retried 15; then retried=", fetched again by itself"; fi
    fi
    if client_window && close_client "$log"; then
        closed=closed
    else
        closed="did not close"
        kill -KILL "$client" 2>/dev/null || true
        wait "$client" 2>/dev/null || true
    fi
    stall=$(stall_after "$log" 'list-[a-z-]+|signed-in|not-signed-in')
    row "" "$name" "$outcome${took:+ in $took}$retried; peak $(mb "$hwm") MB; stall $stall ms; $closed"
}

hostile_replies() {
    say "hostile replies"
    list="$data/channels.xml"
    head -n1 "$list" >"$work/head.xml"
    # 64 MiB of well-formed channels.
    {
        cat "$work/head.xml"
        echo '<tvlist><groups name="大きい"><group name="g">'
        yes '<channel id="1"><name>x</name></channel>' | head -n 1600000 || true
        echo '</group></groups></tvlist>'
    } >"$work/list-64mib.xml"
    # A million channels, within the client's bound for a list: ids only, in 100 groups (the time
    # the list takes to fill grows with groups times channels).
    awk 'BEGIN {
        print "<?xml version=\"1.0\" encoding=\"UTF-8\"?><tvlist><groups name=\"百万\">"
        for (g = 0; g < 100; g++) {
            printf "<group name=\"g%d\">", g
            for (c = 0; c < 10000; c++) printf "<channel id=\"%d\"></channel>", g * 10000 + c + 1
            print "</group>"
        }
        print "</groups></tvlist>"
    }' >"$work/list-1m.xml"
    # Groups nested 10,000 deep, a channel at the bottom.
    awk 'BEGIN {
        printf "<?xml version=\"1.0\" encoding=\"UTF-8\"?><tvlist><groups name=\"深い\">"
        for (i = 0; i < 10000; i++) printf "<group name=\"g%d\">", i
        printf "<channel id=\"101\"><name>底</name></channel>"
        for (i = 0; i < 10000; i++) printf "</group>"
        print "</groups></tvlist>"
    }' >"$work/list-deep.xml"
    # The demo list cut off inside a tag.
    { head -c $(($(wc -c <"$list") / 2)) "$list"; printf '<channel id="9'; } >"$work/list-open.xml"
    # A login answer whose name is 100 MiB long.
    {
        printf '<Result><Status>1</Status><UserName>'
        head -c $((100 * 1024 * 1024)) /dev/zero | tr '\0' 'x'
        printf '</UserName><UseTime>36000000</UseTime></Result>'
    } >"$work/login-100mib.xml"

    row "hostile replies" "(outcome; peak resident; longest GUI stall after it)" ""
    hostile "channel list of 64 MiB" %2Ftvprogram.action "$work/list-64mib.xml"
    hostile "channel list of 1,000,000 channels in 100 groups" %2Ftvprogram.action "$work/list-1m.xml"
    hostile "channel list nested 10,000 deep" %2Ftvprogram.action "$work/list-deep.xml"
    hostile "channel list cut inside a tag" %2Ftvprogram.action "$work/list-open.xml"
    hostile "login reply of 100 MiB (bound 64 KiB)" %2Fuser%21login.action "$work/login-100mib.xml"
    rm -f "$work"/list-*.xml "$work/login-100mib.xml"
    curl -sf -X POST --data-binary "" "$server/control/reset" >/dev/null
}

# ---------------------------------------------------------------- full disk
state="$XDG_CONFIG_HOME/VELO/state.ini"
# The rows below start from the state the rows above left; alone, from the player's settings.
if [ ! -f "$state" ]; then
    mkdir -p "$(dirname "$state")"
    printf '[Player]\nVolume=50\nMute=0\n' >"$state"
fi
# fill FOLDER: nothing more fits on the file system FOLDER is on.
fill() { dd if=/dev/zero of="$1/filler" bs=4k 2>/dev/null || true; sync; }
full_rows() {
    say "full disk"
    local cfg="$work/config-full" prog="$work/program-full" log kept left played_after
    mkdir -p "$cfg" "$prog"
    if ! mount -t tmpfs -o size=64k tmpfs "$cfg" 2>"$work/mount.log"; then
        row "full disk" "skipped: tmpfs cannot be mounted here" "$(head -n1 "$work/mount.log")"
        return
    fi
    mounts+=("$cfg")
    # The state file, as earlier runs left it, on a 64 KiB file system with no room left.
    mkdir -p "$cfg/VELO"
    cp "$state" "$cfg/VELO/state.ini"
    fill "$cfg"
    cp "$cfg/VELO/state.ini" "$work/state.full-before"
    log="$work/full-state.trace"
    XDG_CONFIG_HOME="$cfg" start_client "$log"
    wait_event "$log" startup-finished 60 || true
    client_window || true
    follow "$log" $(($(wc -l <"$log") + 1))
    click_first_channel 2
    next_event play-requested 10 && next_event picture-shown 30 || true
    stall_seen=0
    for _ in 1 2 3 4 5 6 7 8 9; do keys Next; next_event play-requested 10 || true; done
    # The volume, from the picture.
    xdotool mousemove $((wx + 300)) $((wy + 250)) click 1
    keys Up Up
    sleep 1
    if cmp -s "$cfg/VELO/state.ini" "$work/state.full-before"; then kept="old file kept whole"; else kept="CHANGED"; fi
    left=$(find "$cfg/VELO" -mindepth 1 ! -name state.ini | wc -l)
    # Room again: the next change is saved.
    rm -f "$cfg/filler"
    keys Next
    next_event play-requested 10 && next_event 'picture-shown|notice-[a-z-]+' 30 || true
    if ! cmp -s "$cfg/VELO/state.ini" "$work/state.full-before" && whole_ini "$cfg/VELO/state.ini"; then
        played_after="saved whole"
    else
        played_after="NOT saved"
    fi
    local alive_now=yes
    alive "$client" || alive_now=CRASHED
    close_client "$log" || true
    unfollow
    row "full disk" "state file on a full 64 KiB tmpfs: 10 changes, volume" "$kept; $left files left beside it; running: $alive_now; stall after the first picture $stall_seen ms"
    row "" "room again: the next change" "$played_after"
    umount "$cfg" && mounts=("${mounts[@]/$cfg/}")

    # The program folder on a tmpfs with 64 KiB beyond the program, then no room left.
    local size
    size=$(($(du -sk "$program" | cut -f1) + 64 + 64))
    mount -t tmpfs -o "size=${size}k" tmpfs "$prog"
    mounts+=("$prog")
    cp -a "$program/." "$prog/"
    rm -f "$prog/tvchannel.xml"
    fill "$prog"
    cp "$prog/confignew.ini" "$work/confignew.full-before"
    log="$work/full-program.trace"
    local saved_program=$program
    program=$prog
    start_client "$log"
    program=$saved_program
    wait_event "$log" startup-finished 60 || true
    local list_outcome
    list_outcome=$(grep -oE '^velo-trace [0-9]+ (list-[a-z-]+|signed-in|not-signed-in) ' "$log" | cut -d' ' -f3 | tr '\n' ' ')
    sleep 1
    alive_now=yes
    alive "$client" || alive_now=CRASHED
    if client_window && close_client "$log"; then :; else alive_now="$alive_now, did not close"; fi
    if cmp -s "$prog/confignew.ini" "$work/confignew.full-before"; then kept="confignew.ini kept whole"; else kept="confignew.ini CHANGED"; fi
    left=$(find "$prog" -maxdepth 1 -newer "$work/confignew.full-before" ! -name filler | wc -l)
    row "" "program folder on a full tmpfs: start, list, close" "${list_outcome% }; $kept; $left new files; running: $alive_now; stall after the list $(stall_after "$log" 'list-[a-z-]+') ms"
    umount "$prog" && mounts=("${mounts[@]/$prog/}")
}

# ---------------------------------------------------------------- killed while saving
killed_saving() {
    say "killed while saving: $kills rounds"
    config="$program/confignew.ini"
    kept_old=0 whole_new=0 broken=0 config_broken=0 saves=0 leftovers="" kill_rounds=0 per_round=""
    for ((r = 1; r <= kills; r++)); do
        cp "$state" "$work/state.before"
        cp "$config" "$work/config.before"
        log="$work/kill-$r.trace"
        start_client "$log"
        if ! wait_event "$log" tree-filled 60 || ! client_window; then
            say "round $r: the client did not come up"
            kill -KILL "$client" 2>/dev/null || true
            continue
        fi
        # Five changes, each saved at once; the kill comes somewhere among them.
        xdotool windowfocus --sync "$win" key --delay 30 Next Next Next Next Next &
        typing=$!
        sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.3f", 0.02 + (r % 280) / 1000 }')"
        kill -KILL "$client"
        wait "$client" 2>/dev/null || true
        wait "$typing" 2>/dev/null || true
        kill_rounds=$((kill_rounds + 1))
        done_now=$(grep -c ' play-requested ' "$log" || true)
    saves=$((saves + done_now))
    per_round+="${per_round:+ }$done_now"
        if cmp -s "$state" "$work/state.before"; then
            kept_old=$((kept_old + 1))
        elif whole_ini "$state" && grep -q '^LastChannel=' "$state"; then
            whole_new=$((whole_new + 1))
        else
            broken=$((broken + 1))
            cp "$state" "$work/broken-state-$r.ini"
        fi
        cmp -s "$config" "$work/config.before" || config_broken=$((config_broken + 1))
        for left in "$(dirname "$state")"/*; do
            [ "$left" != "$state" ] || continue
            leftovers+="${leftovers:+, }$(basename "$left") (round $r)"
            rm -rf "$left"
        done
    done
    row "killed saving" "SIGKILL during changes that save the state at once" "$kill_rounds rounds, $saves saves done before the kills"
    row "" "saves done in each round before its kill" "$per_round"
    row "" "state file: old one whole / new one whole / broken" "$kept_old / $whole_new / $broken"
    row "" "confignew.ini changed or broken (aim: 0)" "$config_broken"
    row "" "files left beside the state file" "${leftovers:-none}"
}

if wants zapping || wants faults || wants service; then
    start_watching
    if wants zapping; then zapping; fi
    if wants faults; then faults; fi
    if wants service; then service_gone; fi
    close_client "$trace" && c1_closed=yes || c1_closed="no, killed"
    row "" "closed by its close button after the rows above" "$c1_closed"
    unfollow
fi
if wants hostile; then hostile_replies; fi
if wants disk; then full_rows; fi
if wants kill; then killed_saving; fi

echo
printf '%-17s %-50s %s\n' row figure measured
printf '%s\n' "${table[@]}"
echo "clips made in ${clips_s} s; whole run $((SECONDS - began)) s on $(nproc) cores (shared: timings are noisy)"
