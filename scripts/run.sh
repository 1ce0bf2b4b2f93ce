#!/usr/bin/env bash
# Builds the client's tools and shows the configuration at work: a server address is encrypted,
# stored in a fresh program folder's confignew.ini and read back decrypted. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELO_TESTS=OFF \
    -DVELO_BENCH=OFF >/dev/null
cmake --build build-run -j"$(nproc)" --target velo-cli
cli=build-run/tools/velo-cli/velo-cli

folder=$(mktemp -d /tmp/velo-demo.XXXXXX)
address=${VELO_SERVER_URL:-http://127.0.0.2:8080}
echo "Program folder:      $folder"
echo "Server address:      $address"
echo "Encrypted:           $("$cli" encrypt "$address")"
"$cli" config set ServerUrl "$address" --dir "$folder" >/dev/null
echo "confignew.ini:"
sed 's/^/    /' "$folder/confignew.ini"
echo "Read back decrypted: $("$cli" config get ServerUrl --dir "$folder")"
