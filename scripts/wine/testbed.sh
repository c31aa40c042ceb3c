#!/usr/bin/env bash
# Wine test bed of one build folder: testbed.sh start DIR [win32|win64] | stop DIR
#   start: create the prefix once (wineboot, no window manager waits, settled server), start an
#          Xvfb display and a persistent wineserver so a loaded kernel driver survives between
#          test programs. The architecture (default: the bed's recorded one, else win32) is
#          recorded in DIR/arch, where every later user of the bed (env.sh) reads it; a prefix
#          keeps the architecture it was made with.
#   stop:  end the wineserver and the Xvfb display.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
cmd=${1:?start or stop}
dir=${2:?test bed folder}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
if [ "$cmd" = start ]; then
    arch=${3:-$(cat "$dir/arch" 2>/dev/null || echo win32)}
    case "$arch" in win32 | win64) ;; *) echo "architecture: win32 or win64" >&2 && exit 2 ;; esac
    if [ -f "$dir/prefix/system.reg" ] && ! grep -qx "#arch=$arch" "$dir/prefix/system.reg"; then
        echo "$dir/prefix is not a $arch prefix: remove it first" >&2
        exit 2
    fi
    echo "$arch" >"$dir/arch"
fi
velt_wine_env "$dir"

start_display() {
    if [ -s "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
        return 0
    fi
    rm -f "$dir/display"
    # -displayfd picks a free display and writes its number to fd 3.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 </dev/null &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 100); do
        [ -s "$dir/display" ] && break
        sleep 0.1
    done
    [ -s "$dir/display" ] || { echo "Xvfb did not start"; cat "$dir/xvfb.log"; return 1; }
    export DISPLAY=":$(cat "$dir/display")"
}

case "$cmd" in
start)
    start_display || exit 1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating Wine prefix $WINEPREFIX"
        wineboot -i >"$dir/wineboot.log" 2>&1 </dev/null || { cat "$dir/wineboot.log"; exit 1; }
        # Without a window manager, hiding a managed window waits about 2 s each time.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >>"$dir/wineboot.log" 2>&1 </dev/null
        # The service manager of a fresh prefix cannot start drivers until the server restarts.
        wineserver -w
    fi
    velt_wine_fonts
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    wineserver -p >"$dir/wineserver.log" 2>&1 </dev/null &
    # Warm the server up so the first test does not pay for it.
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    echo "Wine test bed ready: prefix $WINEPREFIX, display $DISPLAY"
    ;;
stop)
    wineserver -k 2>/dev/null
    if [ -s "$dir/xvfb.pid" ]; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
        rm -f "$dir/xvfb.pid" "$dir/display"
    fi
    echo "Wine test bed stopped"
    ;;
*)
    echo "usage: $0 start DIR [win32|win64] | stop DIR" >&2
    exit 2
    ;;
esac
