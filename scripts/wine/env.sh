# Sourced: points Wine at the test bed in $1 (a folder of the build), never at ~/.wine. The
# prefix's architecture is the one recorded in the bed's "arch" file (testbed.sh start DIR ARCH):
# win32, or win64 (64-bit Windows running the 32-bit programs under WoW64); win32 without one.
velt_wine_env() {
    local dir=$1
    export WINEPREFIX="$dir/prefix"
    WINEARCH=$(cat "$dir/arch" 2>/dev/null || echo win32)
    export WINEARCH
    export WINEDEBUG=-all
    # No Mono or Gecko download prompts in a closed network.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    if [ -z "${VELT_KEEP_DISPLAY:-}" ] && [ -s "$dir/display" ]; then
        export DISPLAY=":$(cat "$dir/display")"
    fi
}

# Wine's own fonts (Debian's fonts-wine) give "MS Sans Serif" its Windows metrics and the caption
# buttons their Marlett glyphs. A 32-bit prefix does not find them in /usr/share/wine/fonts, so
# they are copied into its Fonts folder; cheap and idempotent, run after every wineboot.
velt_wine_fonts() {
    local src=/usr/share/wine/fonts dst="$WINEPREFIX/drive_c/windows/Fonts"
    [ -d "$src" ] && [ -d "$dst" ] || return 0
    cp -u "$src"/* "$dst"/ 2>/dev/null || true
}
