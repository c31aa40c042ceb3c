#!/usr/bin/env bash
# The Windows Installer package's story in a fresh Wine prefix of its own, with Wine's msiexec:
#   msi_story.sh DIR MSI UPGRADE_MSI SETUP VELT_REMOTE UPGRADE_EXE DIAGNOSTIC_DRIVER [ARCH]
# Refusals (a bad property; a folder of other files; a linked folder; the setup program's
# installation, and the setup program refusing the package's); an installation that fails once
# its folder and service are made, rolled back; a silent, logged install without the log-on start
# and with machine defaults, while another program holds the running copy's lock name; the program
# started and activated; a reboot (into the stand-in driver whose journal can be read); a repair
# and a refused installation that leave the active protection alone; a maintenance run that names
# another folder and other defaults and changes nothing; a major upgrade over the running copy; a
# silent removal. ARCH win64 tells
# it on 64-bit Windows (the x64 driver, Program Files (x86), the 32-bit registry view).
set -u -o pipefail
dir=$1 msi=$2 upgrade=$3 setup=$4 remote=$5 upgrade_exe=$6 diagnostic=$7 arch=${8:-win32}
. "$(dirname "$0")/story_helpers.sh"
trap '"$scripts/testbed.sh" stop "$dir" >/dev/null' EXIT
run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
arp='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
defaults='HKLM\Software\Veltarion'
# Windows puts a per-machine package's shortcut in the common Start menu; Wine 8 in the user's.
shortcut() {
    test -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Veltarion.lnk" ||
        compgen -G "$WINEPREFIX/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Veltarion.lnk"
}
msiexec() { wine msiexec "$1" "$(winepath -w "$2")" "${@:3}" </dev/null; }
product() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
start() { (cd / && exec setsid wine "$inst/Veltarion.exe" </dev/null >/dev/null 2>&1) & }

check "refuses a bad property (1603)" exit_code 1603 msiexec /i "$msi" /qn DEACTIVATEAFTERIDLE=soon
check "refuses a folder of other files (1603)" exit_code 1603 msiexec /i "$msi" /qn 'INSTALLDIR=C:\windows'
check "refused folder: nothing made in it" test ! -e "$WINEPREFIX/drive_c/windows/Profiles"
# A link to a folder that would pass but for being linked to: it holds only kept profiles.
mkdir -p "$dir/elsewhere/Profiles" && echo kept >"$dir/elsewhere/Profiles/profiles.omx"
ln -s "$dir/elsewhere" "$WINEPREFIX/drive_c/Linked"
check "refuses a linked folder (1603)" exit_code 1603 msiexec /i "$msi" /qn 'INSTALLDIR=C:\Linked'
check "linked folder: target untouched" eval 'everyone "Z:$dir/elsewhere" &&
    everyone "Z:$dir/elsewhere/Profiles" && same "$(ls "$dir/elsewhere")" Profiles'
wine "$reg" add "$arp\\Veltarion" /v UninstallString /d 'C:\x\uninstall.exe' /f >/dev/null
# (Windows logs the refusal's message too; Wine 8's msiexec does not.)
check "refuses beside the setup program's installation (1603)" exit_code 1603 msiexec /i "$msi" /qn
wine "$reg" delete "$arp\\Veltarion" /f >/dev/null
check "refused: nothing installed" test ! -e "$inst"
# A failure after the folder is made and the service registered and started (the recorded
# folder's registry key may not be written): the rollback actions remove both.
recorded='Software\Veltarion\Installer'
remote key-rights "$recorded" 'D:P(A;;KR;;;WD)'
check "install that fails late fails" not exit_code 0 msiexec /i "$msi" /qn /l*v 'C:\failed.log'
check "failed install: service made before the failure" \
    grep -q "driver service OMXDRV started" "$WINEPREFIX/drive_c/failed.log"
check "failed install: rolled back" eval 'test ! -e "$inst" && not wine sc query OMXDRV'
remote key-rights "$recorded" 'D:(A;;KA;;;WD)'
wine "$reg" delete 'HKLM\Software\Veltarion' /f >/dev/null 2>&1

# Another program holds the running copy's lock name (a mutex, then an event): no copy runs.
check "silent install (0), the lock's name squatted" in_other_session exit_code 0 msiexec /i "$msi" \
    /qn RUNATLOGON=0 DEACTIVATEONLOCK=1 DEACTIVATEAFTERIDLE=600 /l*v 'C:\install.log'
check "install logged" grep -q "driver service OMXDRV started" "$WINEPREFIX/drive_c/install.log"
check "packaged driver refuses the diagnostic requests" remote no-diagnostics
files=("$inst"/{Veltarion.exe,OMXDRV.SYS,ReadMe.htm,"Getting Started.htm",policy/Veltarion.admx,policy/en-US/Veltarion.adml})
for f in "${files[@]}"; do check "installed: ${f##*/}" test -f "$f"; done
check "installed: Start menu shortcut" shortcut
check "installed: the driver for this Windows" same "$(machine_of "$inst/OMXDRV.SYS")" "$machine"
for f in "$msi" "$inst/Veltarion.exe" "$inst/OMXDRV.SYS"; do check "signed: ${f##*/}" signed "$f"; done
installed_folder_and_service
check "no Run entry (RUNATLOGON=0)" same "$(value "$run" Veltarion)" ""
check "machine default: lock" same "$(value "$defaults" DeactivateOnLock)" 0x1
check "machine default: idle" same "$(value "$defaults" DeactivateAfterIdle)" 0x258
check "machine default: sleep left unset" same "$(value "$defaults" DeactivateOnSleep)" ""
first="$arp\\$(product "$msi")"
check "uninstall entry: version" same "$(value "$first" DisplayVersion)" 1.0.4.0
check "uninstall entry: location" same "$(value "$first" InstallLocation)" "$win\\"
events='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Veltarion'
check "Event Log source: the program's texts" same "$(value "$events" EventMessageFile)" "$win\\Veltarion.exe"
check "Event Log source: an expandable string" eval \
    'wine "$reg" query "$events" /v EventMessageFile | grep -q REG_EXPAND_SZ'
check "install folder recorded" same "$(value "HKLM\\$recorded" InstallFolder)" "$win\\"
check "Event Log source: its types" same "$(value "$events" TypesSupported)" 0x7
check "the setup program refuses beside the package (1638)" exit_code 1638 wine "$setup" /S
check "setup refused: nothing changed" test ! -e "$inst/uninstall.exe"

start
check "started" remote wait-main 60
check "activated" activate
cp "$own/profiles.omx" "$dir/profiles.omx"
# A reboot: the loaded driver goes with the server; nothing but the service manager starts it.
# It loads the stand-in whose journal tells whether the driver was stopped.
cp "$diagnostic" "$inst/OMXDRV.SYS"
wineserver -k
wineserver -w
check "driver running after the reboot, before any program" running
start
check "program connects after the reboot" eval 'remote wait-main 60 && activate'
# A repair (what msiexec /fa asks for) and a refused installation leave the program running and
# its protection on: the driver was never stopped.
msiexec /i "$msi" REINSTALL=ALL REINSTALLMODE=a /qn
check "repair: protection still on" remote protected
check "repair: program still runs" remote has-main
# A maintenance run given another folder, the log-on start and other defaults, as any user could
# start it: it keeps what the first installation's administrator chose.
machine() { for v in "$run Veltarion" "$events EventMessageFile" "HKLM\\$recorded InstallFolder" \
    "$first InstallLocation" "$defaults DeactivateOnLock" "$defaults DeactivateOnSleep" \
    "$defaults DeactivateAfterIdle"; do value ${v% *} ${v##* }; echo; done; }
before=$(machine)
msiexec /i "$msi" REINSTALL=ALL REINSTALLMODE=m 'INSTALLDIR=C:\users\Public\x\' RUNATLOGON=1 \
    DEACTIVATEONLOCK=0 DEACTIVATEONSLEEP=1 DEACTIVATEAFTERIDLE=0 /qn
check "maintenance run: machine's choices unchanged" same "$(machine)" "$before"
check "maintenance run: nothing in the folder it named" test ! -e "$WINEPREFIX/drive_c/users/Public/x"
check "maintenance run: protection still on" remote protected
check "refused install (1603)" exit_code 1603 msiexec /i "$upgrade" /qn DEACTIVATEAFTERIDLE=soon
check "refused install: protection still on" remote protected
check "refused install: program still runs" remote has-main

check "major upgrade over the running copy (0)" exit_code 0 msiexec /i "$upgrade" /qn /l*v 'C:\upgrade.log'
check "upgrade: running copy quit" not remote wait-main 2
check "upgrade: new program installed" cmp "$inst/Veltarion.exe" "$upgrade_exe"
check "upgrade: profiles kept" profiles_kept
check "upgrade: earlier package removed" not wine "$reg" query "$first"
check "upgrade: new uninstall entry" same "$(value "$arp\\$(product "$upgrade")" DisplayVersion)" 1.0.4.1
check "upgrade: service running" running
check "upgrade: Run entry by default" same "$(value "$run" Veltarion)" "\"$win\\Veltarion.exe\""
start
check "upgrade: program connects" eval 'remote wait-main 60 && activate'

check "silent removal (0)" exit_code 0 msiexec /x "$upgrade" /qn
check "removal: program quit" not remote wait-main 2
check "removal: service gone" not wine sc query OMXDRV
for f in "${files[@]}"; do check "removal: ${f##*/} gone" test ! -e "$f"; done
check "removal: shortcut gone" not shortcut
check "removal: Run entry gone" same "$(value "$run" Veltarion)" ""
check "removal: uninstall entry gone" not wine "$reg" query "$arp\\$(product "$upgrade")"
check "removal: Event Log source gone" not wine "$reg" query "$events"
check "removal: profiles kept" profiles_kept
echo "$failed failed"
[ $failed -eq 0 ]
