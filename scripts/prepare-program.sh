#!/usr/bin/env bash
# Lays out a program folder from a build, as an installation has it, pointed at a service.
# usage: scripts/prepare-program.sh BUILDDIR PROGRAMDIR SERVERURL [ID PASSWORD]
# With ID and PASSWORD the login is remembered, so the client signs in by itself at start.
set -euo pipefail
build=$1 program=$2 server=$3
mkdir -p "$program/codec" "$program/Advertise" "$program/skin"
cp "$build/bin/velo" "$build/bin/velo-regctl" "$program/"
cp "$build/bin/codec/Zar.ocx" "$program/codec/"
cp "$build"/bin/skin/*.bmp "$program/skin/"
cp "$(dirname "$0")/../res/program/logo.html" "$program/"
cli="$build/tools/velo-cli/velo-cli"
"$cli" --dir "$program" config set ServerUrl "$server" >/dev/null
"$cli" --dir "$program" config set TvProgram 'tvprogram.action?type=pc' >/dev/null
"$cli" --dir "$program" config set UerSetMeal "${server%:*}/auth/" >/dev/null
if [ $# -ge 5 ]; then
    "$cli" --dir "$program" config set UserInfo "$4<EOF>$5<EOF>$(date +%Y%m%d)<EOF>" >/dev/null
fi
