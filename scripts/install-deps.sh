#!/usr/bin/env bash
# Installs what the build, the tests and the packages need on Debian 12. Does nothing when all
# packages are present already. As root it installs them itself; as another user it calls sudo for
# the installation only.
set -eu
# libclang-rt-14-dev holds clang's libFuzzer (the fuzz preset); clang only recommends it.
pkgs="cmake g++ googletest g++-mingw-w64-i686 gcc-mingw-w64-x86-64-win32 wine wine32:i386 wine64
      xvfb xauth xdotool imagemagick fonts-wine clang libclang-rt-14-dev clang-format clang-tidy
      libssl-dev nsis zip
      python3 osslsigncode openssl wixl msitools locales"
missing=""
for p in $pkgs; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
# The end-to-end tests run the program under a Russian locale too (code page 1251).
has_locale() { locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; }
[ -z "$missing" ] && has_locale && exit 0
as_root=""
if [ "$(id -u)" != 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "missing packages:$missing (install them as root, or install sudo)" >&2
        exit 1
    fi
    as_root="sudo"
fi
if [ -n "$missing" ]; then
    echo "installing:$missing"
    $as_root dpkg --add-architecture i386
    $as_root apt-get update -q
    $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing \
        || $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
fi
has_locale || $as_root localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
