#!/usr/bin/env bash
# Folders and files that cannot be changed, for the store contract under Wine. The tests run as
# root, for whom permissions (and so Wine's read-only attribute) keep nothing out; immutable
# files and folders (chattr +i) do.
#   lockedfolder.sh setup BASE    BASE/app:    app/Profiles/profiles.omx (two zero records), with
#                                              app and app/Profiles immutable
#                                 BASE/rofile: rofile/Profiles/profiles.omx (two zero records),
#                                              the file immutable
#                                 BASE/<name>.ok for each one that worked
#   lockedfolder.sh cleanup BASE  makes everything changeable again and removes it
set -u
cmd=${1:?setup or cleanup}
base=${2:?folder}
unlock() {
    if [ -d "$base" ]; then
        chattr -i "$base/app" "$base/app/Profiles" "$base/rofile/Profiles/profiles.omx" 2>/dev/null
        rm -rf "$base"
    fi
}
make_storage() {
    mkdir -p "$1/Profiles"
    head -c 1024 /dev/zero >"$1/Profiles/profiles.omx"
}
case "$cmd" in
setup)
    unlock
    mkdir -p "$base"
    make_storage "$base/app"
    if chattr +i "$base/app/Profiles" "$base/app" 2>/dev/null && ! touch "$base/app/probe" 2>/dev/null; then
        touch "$base/app.ok"
    else
        echo "cannot make an immutable folder here: the locked-folder case will be skipped"
    fi
    make_storage "$base/rofile"
    if chattr +i "$base/rofile/Profiles/profiles.omx" 2>/dev/null; then
        touch "$base/rofile.ok"
    else
        echo "cannot make an immutable file here: the unwritable-file case will be skipped"
    fi
    ;;
cleanup) unlock ;;
*) echo "usage: $0 setup|cleanup BASE" >&2; exit 2 ;;
esac
exit 0
