#!/usr/bin/env bash
# Builds the Windows Installer package from the WiX source with wixl, then sets in its tables what
# wixl 0.101 does not write:
#   make-msi.sh OUTFILE WXS STAGE [wixl -D definitions...]
# STAGE: a folder holding every file the package carries, under the names the definitions give
# (wixl finds files relative to the current folder only).
set -eu
out=$1 wxs=$2 stage=$3
shift 3
cd "$stage"
rm -f "$out"
trap 'rm -f "$out.making"' EXIT
wixl -a x86 "$@" -o "$out.making" "$wxs"
query() { msibuild "$out.making" -q "$1"; }
condition() { query "UPDATE Component SET Condition = '$2' WHERE Component = '$1'"; }
# Components installed on a condition each.
condition RunAtLogOn 'RUNATLOGON = "1"'
condition Driver 'NOT VersionNT64'
condition Driver64 VersionNT64
condition DefaultOnLock DEACTIVATEONLOCK
condition DefaultOnSleep DEACTIVATEONSLEEP
condition DefaultAfterIdle DEACTIVATEAFTERIDLE
# The undo actions run only as rollback, the service's removal only once the removal is committed
# (wixl writes both as immediate actions): a DLL in the Binary table (1), its return ignored (64),
# in the script (1024), as the system account (2048), for rollback (256) or commit (512).
query "UPDATE CustomAction SET Type = 3393 WHERE Action = 'UndoMakeInstallFolder' OR Action = 'UndoInstallDriver' OR Action = 'UndoStopDriver'"
query "UPDATE CustomAction SET Type = 3649 WHERE Action = 'DeleteDriver'"
# The properties an administrator sets, passed on to the installation's elevated part.
query "UPDATE Property SET Value = 'OLDERFOUND;NEWERFOUND;NSISINSTALLED;INSTALLDIR;RUNATLOGON;DEACTIVATEONLOCK;DEACTIVATEONSLEEP;DEACTIVATEAFTERIDLE' WHERE Property = 'SecureCustomProperties'"
mv -f "$out.making" "$out"
