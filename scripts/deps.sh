#!/usr/bin/env bash
# Installs the Debian packages a job needs, and nothing when they are all there already.
# usage: scripts/deps.sh run|test|package
set -euo pipefail

build=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
       libcurl4-openssl-dev libminizip-dev zlib1g-dev libcpp-httplib-dev fonts-noto-cjk
       xvfb xauth x11-utils imagemagick xdotool libmpv-dev ffmpeg libxcb1-dev libmecab-dev
       mecab-ipadic-utf8)
test=(libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev nettle-dev clang
      libclang-rt-14-dev clang-format-14 ccache mpv dbus-daemon trayer openbox
      at-spi2-core gir1.2-atspi-2.0 python3-gi)
# Building the Debian package and checking it.
package=(dpkg-dev fakeroot file lintian appstream desktop-file-utils man-db ccache)

case "${1:-run}" in
    run) wanted=("${build[@]}") ;;
    test) wanted=("${build[@]}" "${test[@]}") ;;
    package) wanted=("${build[@]}" "${package[@]}") ;;
    *) echo "usage: $0 run|test|package" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
