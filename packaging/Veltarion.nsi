; Veltarion setup program (NSIS 3, built by the "packages" target of the win32 preset).
;
; Installs Veltarion.exe, OMXDRV.SYS and the two help documents into Program Files\Veltarion,
; where no one but administrators may write (each user's profiles live in that user's own
; application data; an earlier version's Profiles folder stays, read-only); registers the kernel
; service OMXDRV for the installed driver file to start with Windows and starts it; adds a Start
; menu shortcut, the optional log-on start and the Add or Remove Programs entry.
;
; An installation over an earlier one quits every running copy of the install folder first, in
; whichever session it runs (found by its image path; asked through the quit event that only
; administrators and SYSTEM may set, answered as the tray's Quit), stages the new files beside
; the old ones and swaps them file by file; if any file cannot be swapped, every file goes back
; and the old installation stays whole. It starts the program only as the signed-in user
; (RunAsUser.nsh). Every check and change of the system's security (the folder, the running copy,
; the driver service, the staging folders' removal) is the setup DLL's (VeltarionSetup.dll, which
; the Windows Installer package uses too), called from $PLUGINSDIR.
;
; One setup for 32-bit and 64-bit Windows: the program is the same 32-bit Veltarion.exe, the driver
; is the one built for the running Windows (a 64-bit kernel loads only 64-bit drivers). This setup
; is a 32-bit program, so on 64-bit Windows $PROGRAMFILES is "Program Files (x86)" and its
; HKLM\Software keys (Run entry, uninstall entry) land in the 32-bit view (WOW6432Node), which is
; the view the 32-bit Veltarion.exe reads and Windows shows; the services key is shared.
;
; Options: /S silent, /D=folder, /RUNATLOGON=0 (no log-on start), /LOG=file (SetupLog.nsh).
; Exit codes of the setup (the README lists them):
;   0     installed
;   2     failed; nothing changed (the previous installation, if any, is whole)
;   4     refused the folder (not its own, a junction or symbolic link, an untrusted owner, or a
;         part of its path that other users may change); nothing changed
;   5     a Veltarion process cannot be examined, so whether a copy runs cannot be told; nothing
;         changed
;   216   this setup has no driver for this Windows (64-bit Windows without an x64 driver, or
;         Windows on ARM); nothing changed
;   740   not an administrator
;   1638  Veltarion is installed by its Windows Installer package; nothing changed
;   3010  installed; the driver loads at the next restart of Windows (it did not start now, or
;         the old one is still loaded)
; and of the uninstaller: 0 removed, 2 a running copy did not quit (nothing removed), 5, 740, and
; 3010 removed, the driver is unloaded by the next restart.
;
; Defined by the build (makensis -D...): VERSION (1.0.4), VI_VERSION (1.0.4.0), OUTFILE, APP_EXE,
; DOCS (folder of the help documents), POLICY (folder of the policy templates), ICON (the
; program's icon), SETUP_DLL (VeltarionSetup.dll), NAMES (the shared names' NSIS file), DRIVER
; (the x86 OMXDRV.SYS),
; DRIVER_X64 (the x64 one; left out, the setup refuses 64-bit Windows) and, for a package that
; carries the stand-in driver, STANDIN_NOTICE (the text of the first page, shown when the driver
; to install is a stand-in) with STANDIN_X86 and/or STANDIN_X64 (which drivers are stand-ins).
; Plug-ins used: System (the setup DLL, the shell of the signed-in user) and nsDialogs (the finish
; page).

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

; The build's command SIGN signs the setup once written and the uninstaller before it is packed.
!ifdef SIGN
    !finalize '${SIGN} "%1"' = 0
    !uninstfinalize '${SIGN} "%1"' = 0
!endif

!include "${NAMES}"
!define PRODUCT "Veltarion"
!define UNINST_KEY "${UninstallKey}"
; The Event Log's source (not redirected on 64-bit Windows: the services key is shared).
!define EVENTLOG_KEY "${EventSourceKey}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETUP "$PLUGINSDIR\VeltarionSetup.dll"
!define NEW "~setup.new"
!define OLD "~setup.old"
; Exit codes (listed above).
!define EXIT_FAILED 2
!define EXIT_FOLDER_REFUSED 4
!define EXIT_OTHER_SESSION 5
!define EXIT_NO_DRIVER 216
!define EXIT_NOT_ADMIN 740
!define EXIT_MSI_INSTALLED 1638
!define EXIT_RESTART_NEEDED 3010
!define MSG_OTHER_SESSION "Setup cannot tell whether Veltarion is running on this computer: a Veltarion process cannot be examined.$\nQuit Veltarion wherever it runs (tray menu, Quit) and try again. Nothing was changed."

!ifdef STANDIN_NOTICE
    Name "${PRODUCT} ${VERSION} (evaluation, stand-in driver)"
!else
    Name "${PRODUCT} ${VERSION}"
!endif
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VI_VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VI_VERSION}"
VIAddVersionKey "CompanyName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "${PRODUCT}"

Var WasRunning   ; 1 when a running copy was asked to quit
Var Fresh        ; 1 when the install folder held no Veltarion.exe before
Var Failed       ; the file or step that failed, "" while all went well
Var Swapping     ; 1 once the files are being swapped (the new ones all staged)
Var Windows64    ; 1 on 64-bit Windows: the x64 driver is installed
Var StandIn      ; 1 when the driver installed on this Windows is the stand-in
Var Owned        ; 1 once the install folder has its final owner and rights

!addincludedir "${__FILEDIR__}"
!include "SetupLog.nsh"
!include "RunAsUser.nsh"
!include "RunningAndProfiles.nsh"

!define MUI_ABORTWARNING
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
BrandingText "${PRODUCT} ${VERSION}"
!ifdef STANDIN_NOTICE
    !define MUI_PAGE_HEADER_TEXT "Evaluation package"
    !define MUI_PAGE_HEADER_SUBTEXT "The bundled driver protects nothing."
    !define MUI_LICENSEPAGE_TEXT_TOP "Read this before you go on:"
    !define MUI_LICENSEPAGE_TEXT_BOTTOM "This package is for evaluation only. Press I Understand to go on."
    !define MUI_LICENSEPAGE_BUTTON "I &Understand"
    !define MUI_PAGE_CUSTOMFUNCTION_PRE SkipUnlessStandIn
    !define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowRunningNotice
    !insertmacro MUI_PAGE_LICENSE "${STANDIN_NOTICE}"
!endif
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowRunningNotice
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Veltarion now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsUser
!insertmacro MUI_PAGE_FINISH
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.ShowConfirmNotice
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Every file of the installation, in the order they are swapped.
!macro FOR_EACH_FILE OP
    !insertmacro ${OP} "Veltarion.exe"
    !insertmacro ${OP} "${DriverFile}"
    !insertmacro ${OP} "ReadMe.htm"
    !insertmacro ${OP} "Getting Started.htm"
    !insertmacro ${OP} "uninstall.exe"
!macroend

!macro MOVE_ASIDE F
    ${If} $Failed == ""
    ${AndIf} ${FileExists} "$INSTDIR\${F}"
        ClearErrors
        Rename "$INSTDIR\${F}" "$INSTDIR\${OLD}\${F}"
        ${IfThen} ${Errors} ${|} StrCpy $Failed "${F}" ${|}
    ${EndIf}
!macroend

!macro MOVE_IN F
    ${If} $Failed == ""
        ClearErrors
        Rename "$INSTDIR\${NEW}\${F}" "$INSTDIR\${F}"
        ${IfThen} ${Errors} ${|} StrCpy $Failed "${F}" ${|}
    ${EndIf}
!macroend

; Undoes the swap of one file (every new file was staged): the old file goes back; a file that had
; no old one and was already moved in goes away.
!macro PUT_BACK F
    ${If} ${FileExists} "$INSTDIR\${OLD}\${F}"
        Delete "$INSTDIR\${F}"
        Rename "$INSTDIR\${OLD}\${F}" "$INSTDIR\${F}"
    ${ElseIfNot} ${FileExists} "$INSTDIR\${NEW}\${F}"
        Delete "$INSTDIR\${F}"
    ${EndIf}
!macroend

!macro REMOVE F
    Delete /REBOOTOK "$INSTDIR\${F}"
!macroend

; Functions both the setup and the uninstaller use (NSIS wants the uninstaller's named "un.").
!macro SHARED_FUNCTIONS UN
    ; Puts the setup DLL in the plug-ins folder.
    Function ${UN}UnpackSetupDll
        InitPluginsDir
        File "/oname=${SETUP}" "${SETUP_DLL}"
    FunctionEnd

    ; Refuses to go on without administrator rights (a driver service is installed or removed).
    Function ${UN}RequireAdmin
        System::Call 'shell32::IsUserAnAdmin() i .r0'
        ${If} $0 = 0
            StrCpy $R8 "Veltarion setup needs administrator rights: it installs or removes a kernel driver.$\nRun it again as an administrator."
            StrCpy $R9 ${EXIT_NOT_ADMIN}
            Call ${UN}Refuse
        ${EndIf}
    FunctionEnd

    ; $1: the folder the installation recorded (a copy may run from there as well as from
    ; $INSTDIR).
    Function ${UN}RecordedFolder
        ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
    FunctionEnd

    ; Ends the run, with nothing changed, when whether a copy of this installation runs cannot be
    ; told (a Veltarion process cannot be examined): its driver must not be stopped under it.
    ; A lock name held by another program does not count.
    Function ${UN}RefuseOtherSessions
        Call ${UN}RecordedFolder
        System::Call '${SETUP}::VeltRunningCopy(w "$INSTDIR", w r1) i .r0'
        ; Compared as text: a call that failed leaves "error", which refuses.
        ${If} $0 != "0"
        ${AndIf} $0 != "1"
            !if "${UN}" == ""
                Call RestartIfItRan
            !endif
            StrCpy $R8 "${MSG_OTHER_SESSION}"
            StrCpy $R9 ${EXIT_OTHER_SESSION}
            Call ${UN}Refuse
        ${EndIf}
    FunctionEnd

    ; Asks every running copy of this installation, in any session, to quit as its tray Quit does
    ; (protection is turned off first) and waits for their end. $WasRunning: 1 when one quit.
    ; $Failed is set when one did not end, or its end could not be waited for.
    Function ${UN}QuitRunning
        StrCpy $WasRunning 0
        Call ${UN}RecordedFolder
        System::Call '${SETUP}::VeltQuitCopy(w "$INSTDIR", w r1) i .r0'
        ${If} $0 = 1
            StrCpy $WasRunning 1
            ${Log} "The running Veltarion quit"
        ${ElseIf} $0 != "0"
            StrCpy $Failed "the running Veltarion did not quit"
        ${EndIf}
    FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; Decides which driver this Windows gets: $Windows64 and $StandIn. A Windows this setup has no
; driver for is refused before anything changes (a 64-bit kernel loads no 32-bit driver, and
; Windows on ARM loads neither).
Function ChooseDriver
    StrCpy $Windows64 0
    StrCpy $StandIn 0
    ${If} ${RunningX64}
        StrCpy $Windows64 1
        StrCpy $R9 ${EXIT_NO_DRIVER}
        ${If} ${IsNativeARM64}
            StrCpy $R8 "This is Windows for ARM processors. Veltarion has drivers only for 32-bit and 64-bit Windows on Intel and AMD processors.$\nNothing was installed."
            Call Refuse
        ${EndIf}
!ifndef DRIVER_X64
        StrCpy $R8 "This is 64-bit Windows, but this setup carries only the driver for 32-bit Windows: 64-bit Windows loads only 64-bit drivers.$\nNothing was installed. Use a Veltarion setup that carries the 64-bit driver."
        Call Refuse
!endif
!ifdef STANDIN_X64
        StrCpy $StandIn 1
!endif
    ${Else}
!ifdef STANDIN_X86
        StrCpy $StandIn 1
!endif
    ${EndIf}
FunctionEnd

; Puts the driver ChooseDriver chose into the output folder as OMXDRV.SYS.
Function UnpackDriver
!ifdef DRIVER_X64
    ${If} $Windows64 = 1
        File "/oname=${DriverFile}" "${DRIVER_X64}"
        Return
    ${EndIf}
!endif
    File "/oname=${DriverFile}" "${DRIVER}"
FunctionEnd

!ifdef STANDIN_NOTICE
; The evaluation page is shown when the driver to install is the stand-in.
Function SkipUnlessStandIn
    ${IfThen} $StandIn = 0 ${|} Abort ${|}
FunctionEnd
!endif

; Registers the driver service for the installed driver file, started with Windows. $R2: 1 when
; the service was created here.
Function RegisterDriver
    StrCpy $R2 0
    System::Call '${SETUP}::VeltRegisterDriver(w "$INSTDIR\${DriverFile}") i .r0'
    ${If} $0 = 2
        StrCpy $R2 1
    ${ElseIf} $0 <> 1
        StrCpy $Failed "the driver service ${ServiceName}"
    ${EndIf}
FunctionEnd

; Starts the driver service; $0: 1 when it started, 2 when it was already running (after the
; setup asked it to stop: the old driver is still loaded), 0 when it did not start.
!define StartDriver `System::Call '${SETUP}::VeltStartDriver() i .r0'`

; Removes what this run put in place when it has to stop: files swapped back, staging folders and,
; on a fresh installation, the service it created and the folders it made.
Function RollBack
    ${If} $Swapping = 1
        !insertmacro FOR_EACH_FILE PUT_BACK
    ${EndIf}
    ${If} $Owned = 1
        System::Call '${SETUP}::VeltRemoveStaging(w "$INSTDIR\${NEW}", i 0) i'
    ${EndIf}
    RMDir "$INSTDIR\${OLD}"
    ${If} $R2 = 1
        System::Call '${SETUP}::VeltStopDriver(i 1) i'
    ${EndIf}
    ${IfThen} $Fresh = 1 ${|} RMDir "$INSTDIR" ${|}
FunctionEnd

; Whether the setup may make $INSTDIR its own (nothing is changed): $R8 = "" when it may,
; otherwise the reason. A check that cannot run refuses.
Function CheckInstallFolder
    ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
    System::Call '${SETUP}::VeltCheckFolder(w "$INSTDIR", w r1, w .R8) i .r0'
    ${If} $0 = 1
        StrCpy $R8 ""
    ${ElseIf} $R8 == ""
        StrCpy $R8 "Setup could not check the folder $INSTDIR."
    ${EndIf}
FunctionEnd

; The directory page: a folder the setup may not take is refused there, before anything is done.
Function DirectoryLeave
    Call CheckInstallFolder
    ${If} $R8 != ""
        MessageBox MB_ICONEXCLAMATION "$R8"
        Abort
    ${EndIf}
FunctionEnd

Function Fail
    ${Log} "Failed: $Failed"
    ${Log} "Exit code ${EXIT_FAILED}"
    MessageBox MB_ICONSTOP "Setup could not install Veltarion ($Failed).$\n$\nNothing was changed: $\nthe previous installation, if any, is whole and unchanged." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
FunctionEnd

Section "Veltarion (required)" SecMain
    SectionIn RO
    StrCpy $Failed ""
    StrCpy $R2 0
    StrCpy $Swapping 0
    Call CheckInstallFolder
    ${If} $R8 != ""
        StrCpy $R9 ${EXIT_FOLDER_REFUSED}
        Call Refuse
    ${EndIf}
    StrCpy $Fresh 1
    ${IfThen} ${FileExists} "$INSTDIR\Veltarion.exe" ${|} StrCpy $Fresh 0 ${|}

    Call RefuseOtherSessions
    Call QuitRunning
    ${IfThen} $Failed != "" ${|} Call Fail ${|}
    ; A copy of another session as well as the one that quit here: it goes on running, as does
    ; the one that quit.
    Call RefuseOtherSessions

    ; The folder with its final owner and rights first, made in the same call (or, when it is
    ; already the setup's own, given them through a handle): every file put in it inherits them.
    ; An earlier version's Profiles folder stays, but no user may write it any more.
    StrCpy $Owned 0
    ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
    System::Call '${SETUP}::VeltMakeFolder(w "$INSTDIR", w r1, w .R8) i .r0'
    ${If} $0 = 1
        Call RestartIfItRan
        StrCpy $R9 ${EXIT_FOLDER_REFUSED}
        Call Refuse
    ${ElseIf} $0 != "0"
        StrCpy $Failed "the folder $INSTDIR: $R8"
    ${Else}
        ; Leftovers of an earlier run that could not finish, removed now that no one else may
        ; change the folder, without following a link among them.
        StrCpy $Owned 1
        System::Call '${SETUP}::VeltRemoveStaging(w "$INSTDIR\${NEW}", i 0) i .r0'
        System::Call '${SETUP}::VeltRemoveStaging(w "$INSTDIR\${OLD}", i 0) i .r2'
        ${If} $0 != "0"
        ${OrIf} $2 != "0"
            StrCpy $Failed "an earlier update's files in $INSTDIR cannot be removed yet; they may wait for a restart of Windows"
            Call Fail
        ${EndIf}
        ClearErrors
        CreateDirectory "$INSTDIR\${OLD}"
        ${IfThen} ${Errors} ${|} StrCpy $Failed "the folder $INSTDIR" ${|}
    ${EndIf}
    ${If} $Failed != ""
        Call RollBack
        Call Fail
    ${EndIf}

    ${Log} "Unpacking the new files"
    ClearErrors
    SetOutPath "$INSTDIR\${NEW}"
    File "/oname=Veltarion.exe" "${APP_EXE}"
    Call UnpackDriver
    File "${DOCS}/ReadMe.htm"
    File "${DOCS}/Getting Started.htm"
    WriteUninstaller "$INSTDIR\${NEW}\uninstall.exe"
    SetOutPath "$INSTDIR"
    ${IfThen} ${Errors} ${|} StrCpy $Failed "writing the files to $INSTDIR" ${|}
    ${If} $Failed != ""
        Call RollBack
        Call Fail
    ${EndIf}

    ; The old driver is unloaded before its file is replaced (the quit copy turned it off).
    System::Call '${SETUP}::VeltStopDriver(i 0) i'

    ${Log} "Replacing the files"
    StrCpy $Swapping 1
    !insertmacro FOR_EACH_FILE MOVE_ASIDE
    !insertmacro FOR_EACH_FILE MOVE_IN
    ${If} $Failed == ""
        Call RegisterDriver
    ${Else}
        StrCpy $Failed "$Failed could not be replaced"
    ${EndIf}
    ${If} $Failed != ""
        Call RollBack
        ; The old driver was stopped above: it runs again, as it did.
        ${If} $Fresh = 0
            ${StartDriver}
        ${EndIf}
        Call Fail
    ${EndIf}
    System::Call '${SETUP}::VeltRemoveStaging(w "$INSTDIR\${OLD}", i 1) i'
    System::Call '${SETUP}::VeltRemoveStaging(w "$INSTDIR\${NEW}", i 0) i'
    ; The Group Policy templates, for an administrator to copy to the PolicyDefinitions folder.
    SetOutPath "$INSTDIR\policy\en-US"
    File "${POLICY}/en-US/Veltarion.adml"
    SetOutPath "$INSTDIR\policy"
    File "${POLICY}/Veltarion.admx"
    SetOutPath "$INSTDIR"

    ${StartDriver}
    ${If} $0 = 1
        ${Log} "Driver service ${ServiceName} started"
    ${Else}
        ${If} $0 = 2
            ${Log} "The old driver is still loaded; the new one loads when Windows restarts"
        ${Else}
            ${Log} "The driver service ${ServiceName} did not start now; it starts with Windows"
        ${EndIf}
        MessageBox MB_ICONEXCLAMATION "Veltarion is installed, but its new driver is not running yet. It starts with Windows: restart the computer before you use Veltarion." /SD IDOK
        SetErrorLevel ${EXIT_RESTART_NEEDED}
    ${EndIf}

    SetShellVarContext all
    ; The help documents are opened from the current folder: the shortcut starts in the program's.
    CreateShortcut "$SMPROGRAMS\Veltarion.lnk" "$INSTDIR\Veltarion.exe"
    DeleteRegValue HKLM "${RUN_KEY}" "Veltarion"

    ${If} $StandIn = 1
        WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT} (evaluation: stand-in driver, protects nothing)"
    ${Else}
        WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    ${EndIf}
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Veltarion.exe"
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    ; Run in place (_?=): the command returns when the removal is done, with its exit code.
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
    SectionGetSize ${SecMain} $0
    WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
    ; The program's own file carries the Event Log's texts; error, warning and information.
    WriteRegExpandStr HKLM "${EVENTLOG_KEY}" "EventMessageFile" "$INSTDIR\Veltarion.exe"
    WriteRegDWORD HKLM "${EVENTLOG_KEY}" "TypesSupported" 7
SectionEnd

Section "Start Veltarion when I log on" SecRun
    WriteRegStr HKLM "${RUN_KEY}" "Veltarion" '"$INSTDIR\Veltarion.exe"'
    ${Log} "Run entry written: Veltarion starts at log-on"
SectionEnd

; One installation per machine: while the Windows Installer package of Veltarion (found by its
; upgrade code) is installed, this setup refuses.
Function RefuseBesideMsi
    System::Call 'msi::MsiEnumRelatedProductsW(w "{${UpgradeCode}}", i 0, i 0, w .r1) i .r0'
    ${If} $0 = 0
        StrCpy $R8 "Veltarion is installed on this computer by its Windows Installer package.$\nRemove it (Add or Remove Programs) before you run this setup. Nothing was changed."
        StrCpy $R9 ${EXIT_MSI_INSTALLED}
        Call Refuse
    ${EndIf}
FunctionEnd

Function .onInit
    Call OpenLog
    Call UnpackSetupDll
    Call ChooseDriver
    Call RequireAdmin
    Call RefuseBesideMsi
    ; /RUNATLOGON=0: no log-on start (an earlier installation's Run entry goes too).
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/RUNATLOGON=" $1
    ${IfNot} ${Errors}
    ${AndIf} $1 == "0"
        SectionSetFlags ${SecRun} 0
    ${EndIf}
FunctionEnd

; A copy that ran before the setup runs again, as the signed-in user: the new one, or the old one
; when nothing changed.
Function RestartIfItRan
    ${If} $WasRunning = 1
    ${AndIf} ${FileExists} "$INSTDIR\Veltarion.exe"
        Call StartAsUser
    ${EndIf}
FunctionEnd

; Interactively, the finish page's "Start Veltarion now" decides; silently, a copy that ran
; before runs again.
Function .onInstSuccess
    ${IfThen} ${Silent} ${|} Call RestartIfItRan ${|}
    GetErrorLevel $0
    ${IfThen} $0 = -1 ${|} StrCpy $0 0 ${|}
    ${Log} "Exit code $0"
FunctionEnd

Function .onInstFailed
    Call RestartIfItRan
FunctionEnd

Section "un.Veltarion (required)"
    SectionIn RO
    StrCpy $Failed ""
    Call un.RefuseOtherSessions
    Call un.QuitRunning
    ${If} $Failed != ""
        StrCpy $R8 "Veltarion is running and did not quit. Quit it from its tray menu and run the uninstaller again."
        StrCpy $R9 ${EXIT_FAILED}
        Call un.Refuse
    ${EndIf}
    ; A copy of another session as well as the one that quit here: its driver stays.
    Call un.RefuseOtherSessions
    System::Call '${SETUP}::VeltStopDriver(i 1) i .r0'
    ${If} $0 <> 1
        MessageBox MB_ICONEXCLAMATION "Veltarion is removed, but its driver stays loaded until Windows restarts." /SD IDOK
        SetErrorLevel ${EXIT_RESTART_NEEDED}
    ${EndIf}
    !insertmacro FOR_EACH_FILE REMOVE
    SetShellVarContext all
    Delete "$SMPROGRAMS\Veltarion.lnk"
    DeleteRegValue HKLM "${RUN_KEY}" "Veltarion"
    DeleteRegKey HKLM "${UNINST_KEY}"
    DeleteRegKey HKLM "${EVENTLOG_KEY}"
    Delete "$INSTDIR\policy\en-US\Veltarion.adml"
    Delete "$INSTDIR\policy\Veltarion.admx"
    RMDir "$INSTDIR\policy\en-US"
    RMDir "$INSTDIR\policy"
    ; The folder goes once empty (never scheduled for a restart): every user's profiles stay, in
    ; their own application data and in an earlier version's Profiles folder.
    RMDir "$INSTDIR"
SectionEnd

; Last: where the profiles that stay are.
Section "-un.Profiles kept"
    Call un.LogKeptProfiles
SectionEnd

Function un.onInit
    Call un.OpenLog
    Call un.UnpackSetupDll
    Call un.RequireAdmin
FunctionEnd

; Run in place (_?=folder, as the quiet uninstall command does), the uninstaller cannot delete its
; own file: a command processor from the system folder waits two seconds with the system folder's
; ping (it ends before), then deletes it and removes the folder once empty (a folder that keeps
; profiles stays).
Function un.onUninstSuccess
    GetErrorLevel $0
    ${IfThen} $0 = -1 ${|} StrCpy $0 0 ${|}
    ${Log} "Exit code $0"
    ${If} $EXEDIR == $INSTDIR
        Exec '"$SYSDIR\cmd.exe" /c ""$SYSDIR\ping.exe" -n 3 127.0.0.1 >nul & del /f /q "$INSTDIR\uninstall.exe" & rmdir "$INSTDIR" 2>nul"'
    ${EndIf}
FunctionEnd
