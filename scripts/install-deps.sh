#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (run as root). Does nothing when all
# packages are present already.
set -eu
pkgs="cmake g++ googletest g++-mingw-w64-i686 wine wine32:i386 wine64 xvfb xauth xdotool
      imagemagick fonts-wine clang clang-format clang-tidy libssl-dev"
missing=""
for p in $pkgs; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" != 0 ]; then
    echo "missing packages:$missing (run this script as root to install them)" >&2
    exit 1
fi
echo "installing:$missing"
dpkg --add-architecture i386
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing \
    || DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
