#!/usr/bin/env bash
# The setup program's whole story in a fresh Wine prefix of its own:
#   setup_story.sh DIR SETUP UPGRADE_SETUP VELT_REMOTE EXE UPGRADE_EXE [ARCH [NO_X64_SETUP]]
# Folders that are not the setup's own refused; silent install while another program holds the
# running copy's lock name; the packaged driver without diagnostics; the program started as the
# Run entry starts it and activated; a reboot (server ended, then wineboot, which runs the Run
# entries as a log-on does); an upgrade refused for a linked Profiles, one that cannot replace a
# file, one stopped by a copy that does not quit; an upgrade over the running copy, without the
# Run entry, with a log and a leftover ~setup.old linked elsewhere; the quiet uninstall command;
# an interactive install over the kept profiles to its finish page, an upgrade clicked through
# over the copy that page started (which tells it will be closed), and the uninstaller clicked
# through over the copy that upgrade started (its confirm page tells the same, and where the
# profiles stay); each copy a finish page starts shows its tray icon. ARCH win64 tells the story on 64-bit Windows
# (the x64 driver, Program Files (x86), the 32-bit registry view), where a setup without an x64
# driver (NO_X64_SETUP) must refuse first.
set -u -o pipefail
dir=$1 setup=$2 upgrade=$3 remote=$4 exe=$5 upgrade_exe=$6 arch=${7:-win32} no_x64=${8:-}
. "$(dirname "$0")/story_helpers.sh"
uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltarion'
run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
lnk="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Veltarion.lnk"
trap 'chattr -i "$inst/OMXDRV.SYS" 2>/dev/null; "$scripts/testbed.sh" stop "$dir" >/dev/null' EXIT

# Refused with its exit code and nothing changed: a setup without a driver for this Windows, a
# folder of other files (a loose Veltarion.exe among them).
if [ -n "$no_x64" ]; then
    check "refuses 64-bit Windows without an x64 driver (216)" exit_code 216 wine "$no_x64" /S
fi
tools="$WINEPREFIX/drive_c/Tools"
mkdir -p "$tools" && cp "$exe" "$tools/" && echo notes >"$tools/notes.txt"
before=$(ls -l "$tools"; remote rights 'C:\Tools')
check "refuses a folder of other files (4)" exit_code 4 wine "$setup" /S '/D=C:\Tools'
check "refused folder unchanged" same "$(ls -l "$tools"; remote rights 'C:\Tools')" "$before"
kept="$WINEPREFIX/drive_c/Kept/Profiles"
mkdir -p "$kept" && touch "$kept/profiles.omx" "$kept/notes.txt"
check "refuses a Profiles folder that holds other files (4)" exit_code 4 wine "$setup" /S '/D=C:\Kept'
mkdir -p "$WINEPREFIX/drive_c/Open" && chmod o+w "$WINEPREFIX/drive_c/Open"
check "refuses a folder whose parent others may change (4)" \
    exit_code 4 wine "$setup" /S '/D=C:\Open\Veltarion'
check "refused: nothing made in that parent" test -z "$(ls -A "$WINEPREFIX/drive_c/Open")"
# Folders holding a folder whose full path passes 276 characters (a name of 245 ending in
# "Profiles", one level down or inside a kept Profiles folder): each is judged by its real name,
# refused, and nothing is installed.
deep_name=$(printf 'd%.0s' $(seq 1 50))
long_name=$(printf 'x%.0s' $(seq 1 237))Profiles
mkdir -p "$WINEPREFIX/drive_c/Deep/$deep_name/$long_name" \
    "$WINEPREFIX/drive_c/Deeper/$deep_name/Profiles/$long_name"
check "refuses a folder holding a 304-character path (4)" \
    exit_code 4 wine "$setup" /S "/D=C:\\Deep\\$deep_name"
check "refuses a Profiles folder holding a 315-character path (4)" \
    exit_code 4 wine "$setup" /S "/D=C:\\Deeper\\$deep_name"
check "refused long paths: nothing installed" not wine "$reg" query "$uninst"
check "refused long paths: folders as they were" \
    test -z "$(ls -A "$WINEPREFIX/drive_c/Deep/$deep_name/$long_name")$(value "$svc" ImagePath)"
check "refused: nothing installed" not wine "$reg" query "$uninst"
check "refused: no folder, no service" test ! -e "$inst" -a -z "$(value "$svc" ImagePath)"
# Another program holds the running copy's lock name; no copy runs.
check "silent install, the lock's name squatted" in_other_session wine "$setup" /S
check "packaged driver refuses the diagnostic requests" remote no-diagnostics
files=("$inst"/{Veltarion.exe,OMXDRV.SYS,ReadMe.htm,"Getting Started.htm",uninstall.exe} "$lnk"
       "$inst"/policy/{Veltarion.admx,en-US/Veltarion.adml})
for f in "${files[@]}"; do check "installed: ${f##*/}" test -f "$f"; done
check "installed driver's machine type $machine" same "$(machine_of "$inst/OMXDRV.SYS")" $machine
# Wine keeps a file's rights only as Unix mode bits: of the setup's rights it shows that the
# folders no longer carry the Everyone entry Wine gives a folder by default, not that Users may
# change Profiles and only read the program folder.
check "Wine's default rights include Everyone" everyone "C:\\$programs"
installed_folder_and_service
check "Run entry" same "$(value "$run" Veltarion)" "\"$win\\Veltarion.exe\""
check "uninstall entry: version" same "$(value "$uninst" DisplayVersion)" 1.0.4
check "uninstall entry: publisher" same "$(value "$uninst" Publisher)" Veltarion
name=Veltarion
[[ $setup == *-standin-* ]] && name="Veltarion (evaluation: stand-in driver, protects nothing)"
check "uninstall entry: name" same "$(value "$uninst" DisplayName)" "$name"
check "uninstall entry: quiet" same "$(value "$uninst" QuietUninstallString)" \
    "\"$win\\uninstall.exe\" /S _?=$win"
check "uninstall entry: size" test "$(value "$uninst" EstimatedSize)" != 0x0
events='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Veltarion'
check "Event Log source: the program's texts" same "$(value "$events" EventMessageFile)" "$win\\Veltarion.exe"
check "Event Log source: its types" same "$(value "$events" TypesSupported)" 0x7
check "uninstaller signed" signed "$inst/uninstall.exe"

command=$(value "$run" Veltarion)
command=${command#\"}
(cd / && exec setsid wine "${command%\"}" </dev/null >/dev/null 2>&1) &
check "started as at log-on" remote wait-main 60
check "activated" activate
check "profiles saved outside the program folder" test ! -e "$inst/Profiles/profiles.omx"
cp "$own/profiles.omx" "$dir/profiles.omx"

# A reboot: the loaded driver goes with the server; nothing but the service manager starts it.
wineserver -k
wineserver -w
check "driver running after the reboot, before any program" running
wineboot </dev/null >/dev/null 2>&1
pid=$(remote wait-main 60)
check "Run entry started the program at log-on" test -n "$pid"
check "program connects after the reboot" activate

# A Profiles folder replaced by a link: the upgrade refuses it and changes nothing where it points.
mkdir -p "$inst/Profiles" && mv "$inst/Profiles" "$dir/Profiles" && mkdir -p "$dir/elsewhere" && ln -s "$dir/elsewhere" "$inst/Profiles"
check "upgrade refuses a linked Profiles (4)" exit_code 4 wine "$upgrade" /S
check "linked Profiles: target rights unchanged" everyone "Z:$dir/elsewhere"
check "linked Profiles: old program kept" cmp "$inst/Veltarion.exe" "$exe"
rm "$inst/Profiles" && mv "$dir/Profiles" "$inst/Profiles"

# Upgrades that cannot finish: a file where the new files are to be unpacked, and a file that
# cannot be replaced. Each leaves the old installation whole, and the old copy runs again.
installed() { for f in "${files[@]}"; do test -f "$f" || return 1; done; }
whole() { cmp "$inst/Veltarion.exe" "$exe" && installed; }
for fault in unpack replace; do
    if [ $fault = unpack ]; then
        touch "$inst/~setup.new"
    elif ! chattr +i "$inst/OMXDRV.SYS" 2>/dev/null; then
        echo "skip: chattr +i does not work here" && continue
    fi
    check "upgrade that cannot $fault fails" not wine "$upgrade" /S
    chattr -i "$inst/OMXDRV.SYS" 2>/dev/null
    rm -f "$inst/~setup.new"
    check "failed upgrade ($fault): old installation whole" whole
    check "failed upgrade ($fault): nothing left aside" test ! -e "$inst/~setup.old"
    pid=$(remote wait-main 60)
    check "failed upgrade ($fault): old copy runs again" test -n "$pid"
done

# A Veltarion.exe of the install folder that does not quit (another program under that name):
# the upgrade waits for it, then fails with nothing changed.
remote quit 30
mv "$inst/Veltarion.exe" "$dir/Veltarion.exe" && cp "$remote" "$inst/Veltarion.exe"
wine "$inst/Veltarion.exe" hold-event Stubborn 60 </dev/null >/dev/null &
stubborn=$!
check "upgrade stopped by a copy that does not quit (2)" exit_code 2 wine "$upgrade" /S
kill $stubborn && wait $stubborn 2>/dev/null
# One that waits on the quit event, as the program does: asked through it (this upgrade then
# fails at its unpacking, with nothing changed).
wine "$inst/Veltarion.exe" wait-event 'Global\VeltarionQuitRequest' 60 </dev/null >"$dir/listener" &
listener=$!
wait_for grep -q '^held' "$dir/listener"
touch "$inst/~setup.new"
wine "$upgrade" /S
check "copy asked through the quit event" wait $listener
rm -f "$inst/~setup.new"
mv -f "$dir/Veltarion.exe" "$inst/Veltarion.exe"
check "copy that did not quit: old installation whole" whole
(cd / && exec setsid wine "$win\\Veltarion.exe" </dev/null >/dev/null 2>&1) &
pid=$(remote wait-main 60)

# A leftover ~setup.new that links elsewhere: nothing is deleted or unpacked through it (Windows
# removes the link itself and goes on; Wine cannot remove a link to a folder, so there the upgrade
# stops with the old installation whole).
mkdir -p "$dir/aside" && touch "$dir/aside/kept.txt" && ln -s "$dir/aside" "$inst/~setup.new"
wine "$upgrade" /S
check "linked ~setup.new: what it names untouched" same "$(ls -A "$dir/aside")" kept.txt
check "linked ~setup.new: link removed or old installation whole" \
    eval 'test ! -e "$inst/~setup.new" || whole'
rm -f "$inst/~setup.new"
pid=$(remote wait-main 60)

# An earlier version's Profiles holding a hard link to another user's file: the link goes, a
# plain file stays.
echo planted >"$dir/planted.omx" && ln "$dir/planted.omx" "$inst/Profiles/profiles.omx"
echo old >"$inst/Profiles/profiles.bak"
check "upgrade over the running copy" in_other_session --event \
    wine "$upgrade" /S /RUNATLOGON=0 '/LOG=C:\setup.log'
check "upgrade: hard-linked Profiles entry removed, its file kept" \
    test ! -e "$inst/Profiles/profiles.omx" -a -f "$dir/planted.omx"
check "upgrade: plain Profiles file kept" test -f "$inst/Profiles/profiles.bak"
check "upgrade: no Run entry" same "$(value "$run" Veltarion)" ""
check "upgrade: log" grep -q "Exit code 0" "$WINEPREFIX/drive_c/setup.log"
check "upgrade: new program installed" cmp "$inst/Veltarion.exe" "$upgrade_exe"
check "upgrade: profiles kept" profiles_kept
check "upgrade: registry value kept" same "$(value 'HKCU\Software\Veltarion' CurrentProfile)" \
    0x0
new=$(remote wait-main 60)
check "upgrade: a new copy runs" test -n "$new" -a "$new" != "$pid"
check "upgrade: new copy connects" activate

# The quiet uninstall command returns when the removal is done; the uninstaller's own file goes
# a moment later. Another program holding the lock's name does not stop it.
quiet=$(value "$uninst" QuietUninstallString)
check "quiet uninstall command, the lock's name squatted" in_other_session \
    remote run "${quiet% _\?=*} /LOG=C:\\uninstall.log _?=${quiet##*_\?=}"
check "uninstall: service gone" not wine sc query OMXDRV
wait_for test ! -e "$inst/uninstall.exe"
for f in "${files[@]}"; do check "uninstall: ${f##*/} gone" test ! -e "$f"; done
check "uninstall: Run entry gone" same "$(value "$run" Veltarion)" ""
check "uninstall: entry gone" not wine "$reg" query "$uninst"
check "uninstall: Event Log source gone" not wine "$reg" query "$events"
check "uninstall: program quit" not remote wait-main 2
check "uninstall: profiles kept" profiles_kept
check "uninstall: backup kept" test -f "$own/profiles.bak"
check "uninstall: log tells where the profiles stay" \
    grep -qF "Profiles kept: C:\\users\\$(id -un)\\AppData\\Local\\Veltarion\\profiles.omx" \
    "$WINEPREFIX/drive_c/uninstall.log"

# An interactive install into the folder that kept the profiles, clicked through to its finish
# page, whose ticked "Start Veltarion now" starts the program through the user's shell.
wine "$setup" </dev/null >/dev/null 2>&1 &
check "interactive install clicked through" remote click-through "Veltarion 1.0.4" 120
check "finish page started the program" remote wait-main 60
check "finish page's copy shows its tray icon" remote tray-icon 30
check "reinstall: profiles kept" profiles_kept

# An upgrade clicked through while that copy runs: its first page says the copy will be closed
# and protection turned off; the copy its finish page starts shows its tray icon.
wine "$upgrade" </dev/null >/dev/null 2>&1 &
pages=$(remote click-through "Veltarion 1.0.4" 120)
check "upgrade's first page tells the copy will be closed" grep -q "will be closed" <<<"$pages"
check "upgrade's finish page started the program" remote wait-main 60
check "upgrade's copy shows its tray icon" remote tray-icon 30

# The uninstaller clicked through while that copy runs: its confirm page says, whole, that the
# copy will be closed and protection turned off, and where each user's profiles stay.
wine "$inst/uninstall.exe" </dev/null >/dev/null 2>&1 &
pages=$(remote click-through "Veltarion 1.0.4" 120 | tee "$dir/uninstaller-pages.txt")
check "uninstaller's page tells the copy will be closed" \
    grep -q "^text: Veltarion is running: it will be closed, and protection turned off" <<<"$pages"
check "uninstaller's page tells where the profiles stay" \
    grep -q "^text: .*profiles.omx, stays in that user's local application data folder" <<<"$pages"
check "uninstaller's notice not cut" not grep -q "^cut: .*profiles.omx" <<<"$pages"
check "uninstaller: the copy quit" not remote wait-main 2
check "uninstaller: profiles kept" profiles_kept
echo "$failed failed"
[ $failed -eq 0 ]
