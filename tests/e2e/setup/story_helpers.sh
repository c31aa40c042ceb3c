# The helpers of the install stories, sourced after the story set $dir (the test bed), $remote
# (velt_remote) and $arch (win32 or win64; default win32): a fresh test bed started, Wine pointed
# at it, $inst and $win (the install folder, Unix and Windows), $machine (the PE machine type of
# the driver for this Windows), $svc and $reg set; check counts failures in $failed. The story
# stops the test bed at its end.
arch=${arch:-win32}
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/wine" && pwd)
rm -rf "$dir"
"$scripts/testbed.sh" start "$dir" "$arch" >/dev/null || exit 1
. "$scripts/env.sh"
velt_wine_env "$dir"
programs='Program Files' machine=014c reg=reg
if [ "$arch" = win64 ]; then
    # The 32-bit installers and program see Program Files (x86) and the 32-bit registry view.
    programs='Program Files (x86)' machine=8664 reg='C:\windows\syswow64\reg.exe'
fi
inst="$WINEPREFIX/drive_c/$programs/Veltarion"
win="C:\\$programs\\Veltarion"
svc='HKLM\System\CurrentControlSet\Services\OMXDRV'
failed=0
check() { # check WHAT COMMAND...: runs the command, reports and counts a failure
    if "${@:2}" >/dev/null; then echo "ok   $1"; else echo "FAIL $1"; failed=$((failed + 1)); fi
}
not() { ! "$@"; }
remote() { wine "$remote" "$@" </dev/null | tr -d '\r'; }
everyone() { remote rights "$1" | grep ';WD)' >/dev/null; }
# exit_code CODE COMMAND...: the command ends with the Windows exit code CODE (Wine hands a Linux
# parent its low byte).
exit_code() { "${@:2}"; [ $? -eq $(($1 % 256)) ]; }
value() { wine "$reg" query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
running() { wine sc query OMXDRV 2>/dev/null | grep RUNNING >/dev/null; }
same() { [ "$1" = "$2" ]; }
wait_for() { for _ in $(seq 150); do "$@" && return 0; sleep 0.2; done; return 1; }
# The user's own profiles: an installed copy keeps them in local application data.
own="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Veltarion"
# A save has replaced the first start's file (which already holds the first-run profile) when
# the backup it keeps is there.
saved() { test -s "$own/profiles.omx" -a -e "$own/profiles.bak" -a ! -e "$own/profiles.new"; }
# Activates from the main window and waits for the save that follows an activation.
activate() { remote activate Secret12 && wait_for saved; }
profiles_kept() { cmp "$dir/profiles.omx" "$own/profiles.omx"; }
# The PE machine type of a file, in hex: 014c i386, 8664 AMD64.
machine_of() { od -An -tx2 -j$(($(od -An -tu4 -j60 -N4 "$1") + 4)) -N2 "$1" | tr -d ' '; }
# in_other_session [--event] COMMAND...: runs the command while a copy of Veltarion seems to run in
# another log-on session (its machine-wide mutex held by another process), or while an event holds
# the mutex's name.
in_other_session() {
    local holder status held hold=hold-mutex
    [ "$1" = --event ] && hold=hold-event && shift
    held=$(mktemp)
    wine "$remote" $hold 'Global\OmvexMachineMutex' 30 </dev/null >"$held" &
    holder=$!
    wait_for grep -q '^held' "$held"
    rm -f "$held"
    "$@"
    status=$?
    kill $holder && wait $holder 2>/dev/null
    return $status
}
# What every installation leaves: closed folder rights (Wine shows of them only that the Everyone
# entry is gone) and the driver service started with the system, for the installed file, running.
installed_folder_and_service() {
    check "install folder rights set" not everyone "$win"
    check "no Profiles folder for users to write" test ! -e "$inst/Profiles"
    check "service starts with the system" same "$(value "$svc" Start)" 0x2
    check "service image path unquoted" same "$(value "$svc" ImagePath)" "$win\\OMXDRV.SYS"
    check "service running" running
}
# The file carries an Authenticode signature whose digest is the file's own, whoever signed it.
signed() {
    local report
    report=$(osslsigncode verify -in "$1" 2>/dev/null) # fails for a chain Debian does not trust
    awk '/^Current (message digest|DigitalSignature)/ { c = $NF }
        /^Calculated (message digest|DigitalSignature)/ && k == "" { k = $NF }
        END { exit !(c != "" && c == k) }' <<<"$report"
}
