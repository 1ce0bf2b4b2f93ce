#!/usr/bin/env bash
# Builds everything and runs every test: the main build, the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, and a timed run of each fuzz target. Safe to run again.
# usage: scripts/test.sh [STAGE...]   stages: format, build, asan, tsan, fuzz (default: all, in order)
# VELO_FUZZ_SECONDS sets the fuzzing time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(format build asan tsan fuzz)
for stage in "${stages[@]}"; do
    case "$stage" in
        format|build|asan|tsan|fuzz) ;;
        *) echo "usage: $0 [format|build|asan|tsan|fuzz]..." >&2; exit 2 ;;
    esac
done

scripts/deps.sh test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# The compiler cache finds the same sources again in another clone of the project.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true

stage_format() {
    echo "== Format"
    scripts/format.sh --check
}

stage_build() {
    echo "== Build and test"
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELO_WERROR=ON >/dev/null
    cmake --build build -j"$jobs"
    ctest --test-dir build --output-on-failure -j"$jobs"
}

stage_asan() {
    echo "== Sanitizers (address, undefined behaviour)"
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELO_SANITIZE=ON -DVELO_BENCH=OFF \
        -DVELO_WERROR=ON >/dev/null
    cmake --build build-asan -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
        ctest --test-dir build-asan --output-on-failure -j"$jobs"
}

stage_tsan() {
    echo "== Thread sanitizer"
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELO_TSAN=ON \
        -DVELO_BENCH=OFF -DVELO_WERROR=ON >/dev/null
    cmake --build build-tsan -j"$jobs"
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
        ctest --test-dir build-tsan --output-on-failure -j"$jobs" -L 'core|service|ui'
}

stage_fuzz() {
    echo "== Fuzzing"
    CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELO_FUZZ=ON \
        >/dev/null
    cmake --build build-fuzz -j"$jobs"
    local seconds=${VELO_FUZZ_SECONDS:-60}
    local work
    work=$(mktemp -d)
    # shellcheck disable=SC2064
    trap "rm -rf '$work'" EXIT
    for target in build-fuzz/tests/fuzz/fuzz_*; do
        [ -f "$target" ] && [ -x "$target" ] || continue
        local name
        name=$(basename "$target")
        # New inputs go to a scratch copy; the committed seeds stay as they are.
        mkdir -p "$work/$name"
        cp -r "tests/fuzz/corpus/${name#fuzz_}/." "$work/$name/"
        echo "-- $name for ${seconds}s"
        "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$work/" "$work/$name" 2>"$work/$name.log" || {
            tail -n 60 "$work/$name.log"
            echo "$name found a failure" >&2
            exit 1
        }
        grep -E 'stat::number_of_executed_units|Done ' "$work/$name.log" | tail -n 2
    done
}

for stage in "${stages[@]}"; do
    "stage_$stage"
done
echo "== All tests passed (${stages[*]})"
