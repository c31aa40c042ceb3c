#!/usr/bin/env bash
# Builds Veltarion.exe and starts it under Wine beside the stand-in driver OMXDRV.SYS, in a Wine
# prefix of its own (run/wine/prefix; ~/.wine is never touched), from the folder run/app.
#
# With a usable X display ($DISPLAY) the program appears there. Without one, an Xvfb display is
# started, a screenshot is saved once the main window is up and its path printed. Either way the
# script keeps running until interrupted (Ctrl+C), then quits the program through its tray menu
# ("Quit": the driver is stopped and the program ends) and ends the Wine server and Xvfb it
# started.
#
# The program runs from drive B:, whose root is the folder run (B:\app\Veltarion.exe), not from
# Z:, the whole Unix tree: the driver-file check judges every folder above the driver, and a
# checkout below a world-writable folder (a clone in /tmp) would have the stand-in refused. So it
# judges only the two folders this script makes, and makes no more writable than their owner's.
#
# --until-screenshot: headless even with a display; quits the program once the screenshot is
# saved (exit code 0), or ends with exit code 1 when the main window does not appear.
set -eu
until_shot=0
[ "${1:-}" != --until-screenshot ] || until_shot=1
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
bash scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target velt_program velt_remote

build=$repo/build/win32
exe=$(find "$build/src/win32/main" -maxdepth 1 -name Veltarion.exe | head -n1)
remote=$(find "$build/tests/e2e/harness" -maxdepth 1 -name velt_remote.exe | head -n1)
[ -n "$exe" ] && [ -n "$remote" ] || { echo "build output missing" >&2; exit 1; }

root=$repo/run
app=$root/app
mkdir -p "$app" "$root/wine"
chmod 755 "$root" "$app"
for f in Veltarion.exe OMXDRV.SYS ReadMe.htm "Getting Started.htm"; do
    cp -f "$(dirname "$exe")/$f" "$app/"
done

. "$repo/scripts/wine/env.sh"
xvfb_pid=""
headless=0
if [ $until_shot = 0 ] && [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    export VELT_KEEP_DISPLAY=1
else
    headless=1
    rm -f "$root/wine/display"
    # In a session of its own, like the program below: Ctrl+C reaches only this script, which
    # then quits the program cleanly before it ends the display.
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$root/wine/display" \
        >"$root/wine/xvfb.log" 2>&1 </dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$root/wine/display" ] && break; sleep 0.1; done
    [ -s "$root/wine/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
fi
velt_wine_env "$root/wine"
[ $headless = 1 ] || unset VELT_KEEP_DISPLAY

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix $WINEPREFIX (once)"
    wineboot -i >"$root/wine/wineboot.log" 2>&1 </dev/null
    if [ $headless = 1 ]; then
        # No window manager on Xvfb: unmanaged windows hide and close without waiting.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >>"$root/wine/wineboot.log" 2>&1 </dev/null
    fi
    # The service manager of a fresh prefix starts drivers only after the server restarted.
    wineserver -w
fi
velt_wine_fonts
ln -sfn "$root" "$WINEPREFIX/dosdevices/b:"

cleanup() {
    trap - INT TERM EXIT
    if [ -n "${app_pid:-}" ] && kill -0 "$app_pid" 2>/dev/null; then
        echo "quitting Veltarion through its tray menu"
        wine "$remote" quit 20 >/dev/null 2>&1 </dev/null || kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    wineserver -k 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup INT TERM EXIT

# Started from run/app, which Wine names B:\app (the deepest drive holding the folder), so that
# the help documents beside the program open from the current folder.
(cd "$app" && exec setsid wine 'B:\app\Veltarion.exe') </dev/null &
app_pid=$!
if wine "$remote" wait-main 60 </dev/null; then
    echo "Veltarion is running (folder $app, Wine prefix $WINEPREFIX)"
    if [ $headless = 1 ]; then
        sleep 1
        shot=$root/screenshot.png
        import -window root "$shot"
        echo "no display: Veltarion runs on Xvfb $DISPLAY; screenshot: $shot"
    fi
else
    echo "the main window did not appear" >&2
    [ $until_shot = 0 ] || exit 1
fi
[ $until_shot = 0 ] || exit 0
echo "press Ctrl+C to quit"
wait "$app_pid" || true
