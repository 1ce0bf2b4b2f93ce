#!/usr/bin/env bash
# Lays out a program folder from a build, as an installation has it, pointed at a service.
# usage: scripts/prepare-program.sh BUILDDIR PROGRAMDIR SERVERURL [ID PASSWORD]
# With ID and PASSWORD the login is checked with the service and remembered, so the client signs
# in by itself at start (the service must be running).
set -euo pipefail
build=$1 program=$2 server=$3
mkdir -p "$program/codec" "$program/Advertise" "$program/skin"
cp "$build/bin/velo" "$build/bin/velo-regctl" "$program/"
# A stand-in for the updater, so that the update offer can be followed to its end.
[ -x "$build/bin/Update.exe" ] && cp "$build/bin/Update.exe" "$program/"
cp "$build/bin/codec/Zar.ocx" "$program/codec/"
cp "$build"/bin/skin/*.bmp "$program/skin/"
cp "$(dirname "$0")/../res/program/logo.html" "$program/"
cli="$build/tools/velo-cli/velo-cli"
"$cli" --dir "$program" config set ServerUrl "$server" >/dev/null
"$cli" --dir "$program" config set TvProgram 'tvprogram.action?type=pc' >/dev/null
# The authorisation page lives on the service's host, whatever port its web server has.
if [[ $server =~ ^([A-Za-z]+://)?([^/:]+)(:[0-9]+)?/*$ ]]; then
    host=${BASH_REMATCH[2]}
else
    echo "prepare-program.sh: cannot read a host from $server" >&2
    exit 2
fi
"$cli" --dir "$program" config set UerSetMeal "http://$host/auth/" >/dev/null
if [ $# -ge 5 ]; then
    "$cli" --dir "$program" login "$4" "$5" --remember >/dev/null
fi
