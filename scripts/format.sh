#!/usr/bin/env bash
# Formats the project's C++ files with the one clang-format the project is held to.
# usage: scripts/format.sh           rewrite what is not formatted
#        scripts/format.sh --check   only list it, and fail when there is any
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=clang-format-14
command -v "$formatter" >/dev/null || scripts/deps.sh test

mapfile -t files < <(git ls-files -- '*.cpp' '*.h' ':!:tests/fuzz/corpus/*')
if [ "${1:-}" = --check ]; then
    unformatted=()
    for file in "${files[@]}"; do
        "$formatter" --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
    done
    if [ ${#unformatted[@]} -gt 0 ]; then
        printf 'not formatted: %s\n' "${unformatted[@]}" >&2
        echo "run scripts/format.sh to format them" >&2
        exit 1
    fi
    echo "${#files[@]} files formatted as .clang-format says"
else
    "$formatter" -i "${files[@]}"
fi
