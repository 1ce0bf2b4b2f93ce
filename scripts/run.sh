#!/usr/bin/env bash
# Builds the client's tools and the reference service, starts the service on a loopback address
# of its own with demo data, points a fresh program folder at it and goes through what the client
# does at start: sign in, probe the server and get a session identity, download the channel list,
# ask for the remaining viewing time and for a new version. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELO_TESTS=OFF \
    -DVELO_BENCH=OFF >/dev/null
cmake --build build-run -j"$(nproc)" --target velo-cli refservice
cli=build-run/tools/velo-cli/velo-cli
service=build-run/tools/refservice/refservice

work=$(mktemp -d /tmp/velo-demo.XXXXXX)
program="$work/program"
mkdir -p "$program"
"$service" --listen 127.0.0.2:0 --data "$work/service" >"$work/service.out" 2>"$work/service.log" &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null; wait "$service_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    grep -q '^refservice listening' "$work/service.out" 2>/dev/null && break
    sleep 0.1
done
server=$(sed -n 's/^refservice listening \(http:[^ ]*\).*/\1/p' "$work/service.out")
[ -n "$server" ] || { cat "$work/service.log" >&2; echo "the reference service did not start" >&2; exit 1; }

step() { printf '\n$ velo-cli %s\n' "$*"; "$cli" --dir "$program" "$@"; }
echo "Reference service: $server (data in $work/service)"
echo "Program folder:    $program"
step config set ServerUrl "$server" >/dev/null
step config set TvProgram 'tvprogram.action?type=pc' >/dev/null
step config set UerSetMeal "${server%:*}/" >/dev/null
sed 's/^/    /' "$program/confignew.ini"
step config get ServerUrl
step login demo@velo.example demo1234
step ticket
step channels
step pulse
step balance demo@velo.example demo1234
step update-check 3
step logout demo@velo.example demo1234
