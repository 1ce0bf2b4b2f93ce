#!/usr/bin/env bash
# Installs a build into a scratch root, as the package is laid out, and checks that layout.
# usage: tests/dist/install-layout.sh BUILDDIR
set -euo pipefail
build=${1:?usage: $0 BUILDDIR}
root=$(mktemp -d)
# shellcheck disable=SC2064
trap "rm -rf '$root'" EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
exec "$(dirname "$0")/../../dist/check-layout.sh" "$root"
