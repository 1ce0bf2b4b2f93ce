#!/usr/bin/env bash
# Start-up time and memory of the client against channel lists of 1,000, 10,000 and 100,000
# channels: from the process's start to the filled channel list (the client's own timing line),
# beside what velo-cli takes for the same ticket, download and parse in the same run, and the
# client's resident memory once it is idle. Not a test: it prints, it does not judge.
# usage: bench/startup-memory.sh BUILDDIR [SIZES...]      (needs Xvfb)
source "$(dirname "$0")/lib.sh"
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 100000)
cli="$build/tools/velo-cli/velo-cli"
start_display

# A list of COUNT channels in 3 sets of 10 groups, one playback address for all.
write_list() {
    local count=$1 out=$2 address
    address=$("$cli" encrypt "zar://127.0.0.2/live/ch101")
    awk -v count="$count" -v address="$address" 'BEGIN {
        print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"; print "<tvlist>"
        per = int((count + 29) / 30); n = 0
        for (s = 0; s < 3; s++) {
            printf "  <groups name=\"セット%d\">\n", s
            for (g = 0; g < 10; g++) {
                printf "    <group name=\"グループ%d-%d\">\n", s, g
                for (i = 0; i < per && n < count; i++) {
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

printf '%9s %14s %16s %8s %14s\n' channels "tree (ms)" "velo-cli (ms)" ratio "idle RSS (MB)"
for count in "${sizes[@]}"; do
    data="$work/service-$count"
    mkdir -p "$data"
    write_list "$count" "$data/channels.xml"
    kill "${pids[@]:1}" 2>/dev/null || true  # the service of the size before
    start_service "$data"
    prepare_program

    start=$(ms_now)
    "$cli" --dir "$program" channels >/dev/null
    cli_ms=$(($(ms_now) - start))

    start_client "$work/trace-$count"
    wait_for "$work/trace-$count" tree-filled 1 300
    tree_ms=$(awk '$3 == "tree-filled" { print $2; exit }' "$work/trace-$count")
    wait_for "$work/trace-$count" startup-finished 1 60
    sleep 2
    rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$client/status")
    kill "$client"
    wait "$client" 2>/dev/null || true
    awk -v c="$count" -v t="$tree_ms" -v v="$cli_ms" -v r="$rss_kb" \
        'BEGIN { printf "%9d %14d %16d %8.2f %14.1f\n", c, t, v, t / v, r / 1024 }'
done
echo "aims: tree within 1.3x of velo-cli at every size, under 500 ms at 10,000; under 100 MB at 10,000"
