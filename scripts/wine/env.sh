# Sourced: points Wine at the test bed in $1 (a folder of the build), never at ~/.wine.
velt_wine_env() {
    local dir=$1
    export WINEPREFIX="$dir/prefix"
    export WINEARCH=win32
    export WINEDEBUG=-all
    # No Mono or Gecko download prompts in a closed network.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    if [ -z "${VELT_KEEP_DISPLAY:-}" ] && [ -s "$dir/display" ]; then
        export DISPLAY=":$(cat "$dir/display")"
    fi
}
