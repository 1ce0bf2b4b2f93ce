#!/usr/bin/env bash
# Builds the Debian package velo_VERSION_amd64.deb with CPack, its dependencies computed from the
# binaries, and checks it: the unpacked layout, the desktop entry (desktop-file-validate), the
# AppStream file (appstreamcli, offline) and the whole package (lintian: no errors). Safe to run
# again.
# usage: scripts/package.sh [OUTDIR]   (default: build-package/)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh package
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
build="build-package"
out=$(mkdir -p "${1:-$build}" && cd "${1:-$build}" && pwd)
jobs=$(nproc)

echo "== Build"
# Debian's own build flags, all of its hardening included (lintian looks for them).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELO_TESTS=OFF \
    -DVELO_BENCH=OFF -DVELO_WERROR=ON -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$jobs" --target velo velo-cli velo_manuals velo_changelog

echo "== Package"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$out/velo_${version}_amd64.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
[ -f "$deb" ] || { echo "package.sh: cpack made no $deb" >&2; exit 1; }
rm -rf "$out/_CPack_Packages"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends Installed-Size

echo "== Check"
root=$(mktemp -d)
# shellcheck disable=SC2064
trap "rm -rf '$root'" EXIT
dpkg-deb -x "$deb" "$root"
dist/check-layout.sh "$root"
echo "-- desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/velo.desktop"
echo "-- appstreamcli validate --no-net"
appstreamcli validate --no-net --no-color "$root"/usr/share/metainfo/*.metainfo.xml
echo "-- lintian"
# Errors fail the package; warnings and notes are shown. The tags the package overrides, with
# the reason, are in dist/lintian-overrides; here only their count.
lintian --fail-on error --display-info "$deb" || { echo "package.sh: lintian found errors" >&2; exit 1; }
overridden=$(lintian --show-overrides "$deb" 2>/dev/null | grep -c '^O: ' || true)
echo "lintian: no errors; $overridden tags overridden (dist/lintian-overrides says why)"
echo "== $deb"
