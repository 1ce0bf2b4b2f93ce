#!/usr/bin/env bash
# Start-up time and memory of the client against channel lists of 1,000, 10,000 and 100,000
# channels in groups of 50 spread over three group sets: from the process's start to the first
# paint of the filled list (the client's own timing line), beside what velo-cli takes for the same
# ticket, download and parse in the same run; the GUI thread's longest stall after its first paint;
# and the client's resident memory once it is at rest, with the OpenGL and the software video
# output. Not a test: it prints, it does not judge.
# usage: bench/startup-memory.sh BUILDDIR [SIZES...]      (needs Xvfb)
source "$(dirname "$0")/lib.sh"
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 100000)
cli="$build/tools/velo-cli/velo-cli"
start_display
export VELO_AUDIO_OUTPUT=null

# A list of COUNT channels in groups of 50, the groups dealt over 3 sets, one address for all.
write_list() {
    local count=$1 out=$2 address
    address=$("$cli" encrypt "zar://127.0.0.2/live/ch101")
    awk -v count="$count" -v address="$address" 'BEGIN {
        print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"; print "<tvlist>"
        groups = int((count + 49) / 50); perSet = int((groups + 2) / 3); n = 0; g = 0
        for (s = 0; s < 3; s++) {
            printf "  <groups name=\"セット%d\">\n", s
            for (k = 0; k < perSet && g < groups; k++) {
                printf "    <group name=\"グループ%d\">\n", g++
                for (i = 0; i < 50 && n < count; i++) {
                    printf "      <channel id=\"%d\"><name>チャンネル番号%d</name><vip>%d</vip>", 1000 + n, n, n % 7 == 0
                    printf "<zar_address><item>%s</item></zar_address></channel>\n", address
                    n++
                }
                print "    </group>"
            }
            print "  </groups>"
        }
        print "</tvlist>"
    }' >"$out"
}

ms_now() { date +%s%3N; }

# run_client TRACE OUTPUT: the client until its list is painted and it has rested; sets $rss_kb.
run_client() {
    VELO_VIDEO_OUTPUT=$2 start_client "$1"
    wait_for "$1" tree-shown 1 300
    wait_for "$1" startup-finished 1 60
    # At rest: the player has started beside the window by now.
    sleep 4
    rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$client/status")
    kill "$client"
    wait "$client" 2>/dev/null || true
}

printf '%9s %14s %16s %8s %14s %14s %14s\n' channels "list (ms)" "velo-cli (ms)" ratio \
    "stall (ms)" "RSS GL (MB)" "RSS sw (MB)"
for count in "${sizes[@]}"; do
    data="$work/service-$count"
    mkdir -p "$data"
    write_list "$count" "$data/channels.xml"
    [ -z "${service_pid:-}" ] || { kill "$service_pid" 2>/dev/null; wait "$service_pid" 2>/dev/null || true; }
    start_service "$data"
    prepare_program

    start=$(ms_now)
    "$cli" --dir "$program" channels >/dev/null
    cli_ms=$(($(ms_now) - start))

    run_client "$work/trace-$count" opengl
    gl_kb=$rss_kb
    shown_ms=$(awk '$3 == "tree-shown" { print $2; exit }' "$work/trace-$count")
    # The longest stall after the first paint, up to the list's first paint.
    stall=$(awk '/^velo-trace / { if (seen) { split($4, s, "="); if (s[2] > worst) worst = s[2] }
                 if ($3 == "first-paint") seen = 1; if ($3 == "tree-shown") { print worst + 0; exit } }' \
        "$work/trace-$count")
    rm -f "$program/tvchannel.xml"
    run_client "$work/trace-sw-$count" software
    awk -v c="$count" -v t="$shown_ms" -v v="$cli_ms" -v s="$stall" -v g="$gl_kb" -v w="$rss_kb" \
        'BEGIN { printf "%9d %14d %16d %8.2f %14d %14.1f %14.1f\n", c, t, v, t / v, s, g / 1024, w / 1024 }'
done
echo "aims: the list within 1.3x of velo-cli, no stall over 16 ms after the first paint; at rest with"
echo "10,000 channels under 80 MB with either output, and 100,000 no more than 40 MB above 1,000"
