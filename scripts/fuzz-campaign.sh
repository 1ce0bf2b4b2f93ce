#!/usr/bin/env bash
# A long fuzzing campaign, one target at a time, each followed by a merge of what it found into
# the committed seeds: only inputs that add coverage stay, smallest first.
# usage: scripts/fuzz-campaign.sh [TARGET...]   (default: every target, the fast ones first)
# FUZZ_RUNS (default 10000000) and FUZZ_SECONDS (default 3600) end each target's run, whichever
# comes first. FUZZ_BUDGET, when set, is the whole campaign's time in seconds: each target gets
# at most an even share of what is left for it and those after it. FUZZ_OUT (default
# /tmp/fuzz-campaign) keeps the logs, the work corpora and any failing input. Seeds named crash-*
# are inputs of failures once found: the merge keeps them.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${FUZZ_RUNS:-10000000}
seconds=${FUZZ_SECONDS:-3600}
out=${FUZZ_OUT:-/tmp/fuzz-campaign}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(datagram giflayout channellist xmldoc decrypt replies inifile adarchive)

export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELO_FUZZ=ON >/dev/null
nice cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}"

mkdir -p "$out"
# The binaries as built now, so a rebuild meanwhile changes nothing under way.
mkdir -p "$out/bin"
for name in "${targets[@]}"; do
    cp "build-fuzz/tests/fuzz/fuzz_$name" "$out/bin/"
done
# Targets that unpack files do so under a runtime folder in memory of the campaign's own.
runtime=$(mktemp -d /dev/shm/velo-fuzz.XXXXXX)
# shellcheck disable=SC2064
trap "rm -rf '$runtime'" EXIT
export XDG_RUNTIME_DIR="$runtime"

campaignStart=$(date +%s)
summary="$out/summary.tsv"
[ -f "$summary" ] || printf 'target\tlimit\texecuted\texec/s\tseconds\tcov\tft\tseeds\tfound\tmerged\tmerged bytes\tfailure\n' >"$summary"

left=${#targets[@]}
for name in "${targets[@]}"; do
    limit=$seconds
    if [ -n "${FUZZ_BUDGET:-}" ]; then
        share=$(((FUZZ_BUDGET - ($(date +%s) - campaignStart)) / left))
        [ "$share" -ge "$limit" ] || limit=$((share > 60 ? share : 60))
    fi
    left=$((left - 1))
    binary="$out/bin/fuzz_$name"
    seeds="tests/fuzz/corpus/$name"
    work="$out/$name/corpus"
    rm -rf "${out:?}/$name"
    mkdir -p "$work" "$out/$name/artifacts"
    cp "$seeds"/* "$work/"
    seedCount=$(find "$seeds" -type f | wc -l)

    echo "-- $name: up to $runs inputs or ${limit}s"
    started=$(date +%s)
    status=0
    nice -n 19 "$binary" -runs="$runs" -max_total_time="$limit" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$out/$name/artifacts/" "$work" \
        >"$out/$name/fuzz.log" 2>&1 || status=$?
    elapsed=$(($(date +%s) - started))
    log="$out/$name/fuzz.log"
    executed=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\) .*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\) .*/\1/p' <<<"$last")
    failure=-
    if [ "$status" -eq 72 ]; then
        failure=interrupted  # stopped by a signal; what it found so far is merged all the same
    elif [ "$status" -ne 0 ]; then
        failure=$(find "$out/$name/artifacts" -type f -printf '%f ' | sed 's/ $//')
        failure=${failure:-exit $status}
    fi
    found=$(find "$work" -type f | wc -l)

    # The merge starts from nothing, so seeds that add nothing go too, except crash-* inputs.
    merged="$out/$name/merged"
    mkdir -p "$merged"
    nice -n 19 "$binary" -merge=1 -rss_limit_mb=2048 -timeout=10 "$merged" "$seeds" "$work" \
        >"$out/$name/merge.log" 2>&1
    # A seed that stays keeps its name; what is new is named by its contents, as libFuzzer does.
    for seed in "$seeds"/*; do
        sum=$(sha1sum "$seed" | cut -d' ' -f1)
        if [ -f "$merged/$sum" ]; then
            [ "$sum" = "$(basename "$seed")" ] || mv "$merged/$sum" "$merged/$(basename "$seed")"
        elif [[ $(basename "$seed") == crash-* ]]; then
            cp "$seed" "$merged/"
        fi
    done
    rm -rf "${seeds:?}"/*
    cp "$merged"/* "$seeds/"
    mergedCount=$(find "$seeds" -type f | wc -l)
    mergedBytes=$(du -cb "$seeds"/* | tail -n 1 | cut -f1)
    # Large inputs slow every later run: say so, to be looked at before they are committed.
    find "$seeds" -type f -size +64k -printf "$name: %f is %s bytes\n" >>"$out/large.txt"
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$limit" "$executed" "$rate" "$elapsed" \
        "$cov" "$ft" "$seedCount" "$found" "$mergedCount" "$mergedBytes" "$failure" >>"$summary"
    tail -n 1 "$summary"
done
