#!/usr/bin/env bash
# Checks an installed tree (a DESTDIR, or the package unpacked with dpkg -x) against the layout
# the program needs: exactly these files, the commands as links into the program folder, the
# programs executable and the rest not, the manual pages whole, and the desktop entry and the
# AppStream file valid where their validators are installed.
# usage: dist/check-layout.sh ROOT
set -euo pipefail
root=${1:?usage: $0 ROOT}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
program=opt/velo
work=$(mktemp -d)
# shellcheck disable=SC2064
trap "rm -rf '$work'" EXIT

{
    for name in velo velo-cli velo-regctl; do echo "x $program/$name"; done
    echo "f $program/codec/Zar.ocx"
    echo "f $program/logo.html"
    for file in "$source_dir"/res/skin/*.bmp; do echo "f $program/skin/${file##*/}"; done
    for name in velo velo-cli; do echo "l usr/bin/$name -> /$program/$name"; done
    echo "f usr/share/applications/velo.desktop"
    echo "f usr/share/metainfo/example.velo.Velo.metainfo.xml"
    for size in 16 24 32 48 64 128 256; do
        echo "f usr/share/icons/hicolor/${size}x$size/apps/velo.png"
    done
    echo "f usr/share/man/man1/velo.1.gz"
    echo "f usr/share/man/man1/velo-cli.1.gz"
    echo "f usr/share/doc/velo/copyright"
    echo "f usr/share/doc/velo/changelog.gz"
    echo "f usr/share/lintian/overrides/velo"
} | sort >"$work/expected"

(
    cd "$root"
    find . -type l -printf 'l %P -> %l\n'
    find . -type f -perm -u+x -printf 'x %P\n'
    find . -type f ! -perm -u+x -printf 'f %P\n'
) | sort >"$work/found"

status=0
if ! diff -u "$work/expected" "$work/found" >"$work/diff"; then
    echo "check-layout: $root differs from the expected layout (- missing, + unexpected):" >&2
    tail -n +3 "$work/diff" | grep '^[-+]' >&2
    status=1
fi
for page in "$root"/usr/share/man/man1/*.gz "$root"/usr/share/doc/velo/changelog.gz; do
    [ -f "$page" ] || continue
    gzip -t "$page" || { echo "check-layout: $page is not whole" >&2; status=1; }
done
desktop=$root/usr/share/applications/velo.desktop
if [ -f "$desktop" ] && command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || status=1
fi
metainfo=$root/usr/share/metainfo/example.velo.Velo.metainfo.xml
if [ -f "$metainfo" ] && command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --no-color "$metainfo" >"$work/appstream" ||
        { cat "$work/appstream" >&2; status=1; }
fi
[ $status -eq 0 ] && echo "check-layout: $root has the program's layout"
exit $status
