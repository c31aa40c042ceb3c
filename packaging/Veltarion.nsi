; Veltarion setup program (NSIS 3, built by the "packages" target of the win32 preset).
;
; Installs Veltarion.exe, OMXDRV.SYS and the two help documents into Program Files\Veltarion,
; where only the Profiles folder is writable by the computer's users; registers the kernel
; service OMXDRV for the installed driver file to start with Windows and starts it; adds a Start
; menu shortcut, the optional log-on start and the Add or Remove Programs entry.
;
; An installation over an earlier one quits a running copy first (the "VeltarionQuit" window
; message, answered as the tray's Quit), stages the new files beside the old ones and swaps them
; file by file; if any file cannot be swapped, every file goes back and the old installation stays
; whole. Silent mode (/S, /D=folder) sets the exit code: 0 installed, 2 failed (nothing changed),
; 3 installed but the driver did not start now (it starts with Windows), 740 not an administrator.
;
; Defined by the build (makensis -D...): VERSION (1.0.4), VI_VERSION (1.0.4.0), OUTFILE, APP_EXE,
; DRIVER, DOCS (folder of the help documents) and, for a package that carries the stand-in
; driver, STANDIN_NOTICE (the text of the first page).
; Plug-ins used: System (service manager, folder rights, finding and waiting for a running copy).

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Veltarion"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltarion"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SERVICE "OMXDRV"
!define NEW "~setup.new"
!define OLD "~setup.old"
; Folder rights: administrators and the system own everything; users may read and run the
; program and driver, and may change only what is in Profiles. Not inherited from the parent, so a
; folder outside Program Files is as closed as one inside it.
!define SDDL_APP "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
!define SDDL_PROFILES "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)"

!ifdef STANDIN_NOTICE
    Name "${PRODUCT} ${VERSION} (evaluation, stand-in driver)"
    !define DISPLAY_NAME "${PRODUCT} (evaluation: stand-in driver, protects nothing)"
!else
    Name "${PRODUCT} ${VERSION}"
    !define DISPLAY_NAME "${PRODUCT}"
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

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
BrandingText "${PRODUCT} ${VERSION}"
!ifdef STANDIN_NOTICE
    !define MUI_PAGE_HEADER_TEXT "Evaluation package"
    !define MUI_PAGE_HEADER_SUBTEXT "The bundled driver protects nothing."
    !define MUI_LICENSEPAGE_TEXT_TOP "Read this before you go on:"
    !define MUI_LICENSEPAGE_TEXT_BOTTOM "This package is for evaluation only. Press I Understand to go on."
    !define MUI_LICENSEPAGE_BUTTON "I &Understand"
    !insertmacro MUI_PAGE_LICENSE "${STANDIN_NOTICE}"
!endif
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Every file of the installation, in the order they are swapped.
!macro FOR_EACH_FILE OP
    !insertmacro ${OP} "Veltarion.exe"
    !insertmacro ${OP} "OMXDRV.SYS"
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
    ; Refuses to go on without administrator rights (a driver service is installed or removed).
    Function ${UN}RequireAdmin
        System::Call 'shell32::IsUserAnAdmin() i .r0'
        ${If} $0 = 0
            MessageBox MB_ICONSTOP "Veltarion setup needs administrator rights: it installs or removes a kernel driver.$\nRun it again as an administrator." /SD IDOK
            SetErrorLevel 740
            Quit
        ${EndIf}
    FunctionEnd

    ; Asks a running Veltarion to quit as its tray Quit does (protection is turned off first) and
    ; waits for its end. $WasRunning: 1 when one ran. $Failed is set when it did not end.
    Function ${UN}QuitRunning
        StrCpy $WasRunning 0
        FindWindow $0 "VeltarionForm" "Veltarion"
        ${If} $0 = 0
            Return
        ${EndIf}
        StrCpy $WasRunning 1
        DetailPrint "Closing the running Veltarion"
        System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
        System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
        System::Call 'user32::RegisterWindowMessageW(w "VeltarionQuit") i .r3'
        SendMessage $0 $3 0 0 /TIMEOUT=10000
        StrCpy $4 1
        ${If} $2 P<> 0
            System::Call 'kernel32::WaitForSingleObject(p r2, i 20000) i .r4'
            System::Call 'kernel32::CloseHandle(p r2)'
        ${EndIf}
        ${If} $4 <> 0
            StrCpy $Failed "the running Veltarion did not quit"
        ${EndIf}
    FunctionEnd

    ; Stops the driver service and waits up to 10 s for it to stop; with $R0 = "delete" the
    ; service is deleted as well. Nothing happens when it does not exist.
    Function ${UN}StopDriver
        System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 0xF003F) p .r1'
        ${If} $1 P= 0
            Return
        ${EndIf}
        System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE}", i 0xF01FF) p .r2'
        ${If} $2 P<> 0
            System::Call '*(&i28) p .r3'
            System::Call 'advapi32::ControlService(p r2, i 1, p r3) i .r4'
            ${For} $5 1 50
                System::Call 'advapi32::QueryServiceStatus(p r2, p r3) i .r4'
                System::Call '*$3(i, i .r6)'
                ${If} $4 = 0
                ${OrIf} $6 = 1
                    ${Break}
                ${EndIf}
                Sleep 200
            ${Next}
            System::Free $3
            ${If} $R0 == "delete"
                System::Call 'advapi32::DeleteService(p r2) i .r4'
                DetailPrint "Driver service ${SERVICE} removed"
            ${EndIf}
            System::Call 'advapi32::CloseServiceHandle(p r2)'
        ${EndIf}
        System::Call 'advapi32::CloseServiceHandle(p r1)'
    FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; Sets the rights of folder $R0 to the security descriptor $R1 (SDDL); $Failed on failure.
Function SetFolderRights
    System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w R1, i 1, *p .r1, p 0) i .r0'
    ${If} $0 = 0
        StrCpy $Failed "the rights of $R0"
        Return
    ${EndIf}
    ; DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
    System::Call 'advapi32::SetFileSecurityW(w R0, i 0x80000004, p r1) i .r0'
    System::Call 'kernel32::LocalFree(p r1)'
    ${IfThen} $0 = 0 ${|} StrCpy $Failed "the rights of $R0" ${|}
FunctionEnd

; Registers the driver service for the installed driver file, started with Windows. A kernel
; driver's image path is a plain path: never quoted. $R2: 1 when the service was created here.
Function RegisterDriver
    StrCpy $R2 0
    System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 0xF003F) p .r1'
    ${If} $1 P= 0
        StrCpy $Failed "the service manager"
        Return
    ${EndIf}
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE}", i 0xF01FF) p .r2'
    ${If} $2 P<> 0
        ; SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL
        System::Call 'advapi32::ChangeServiceConfigW(p r2, i 1, i 2, i 1, w "$INSTDIR\OMXDRV.SYS", p 0, p 0, p 0, p 0, p 0, p 0) i .r3'
    ${Else}
        System::Call 'advapi32::CreateServiceW(p r1, w "${SERVICE}", w "${SERVICE}", i 0xF01FF, i 1, i 2, i 1, w "$INSTDIR\OMXDRV.SYS", p 0, p 0, p 0, p 0, p 0) p .r2'
        StrCpy $3 $2
        ${IfThen} $2 P<> 0 ${|} StrCpy $R2 1 ${|}
    ${EndIf}
    ${IfThen} $3 = 0 ${|} StrCpy $Failed "the driver service ${SERVICE}" ${|}
    ${If} $2 P<> 0
        System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
FunctionEnd

; Starts the driver service; $0: 1 when it runs.
Function StartDriver
    StrCpy $0 0
    System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 0xF003F) p .r1'
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE}", i 0xF01FF) p .r2'
    ${If} $2 P<> 0
        System::Call 'advapi32::StartServiceW(p r2, i 0, p 0) i .r3 ?e'
        Pop $4
        ; ERROR_SERVICE_ALREADY_RUNNING
        ${If} $3 <> 0
        ${OrIf} $4 = 1056
            StrCpy $0 1
        ${EndIf}
        System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
FunctionEnd

; Removes what this run put in place when it has to stop: files swapped back, staging folders and,
; on a fresh installation, the service it created and the folders it made.
Function RollBack
    ${If} $Swapping = 1
        !insertmacro FOR_EACH_FILE PUT_BACK
    ${EndIf}
    RMDir /r "$INSTDIR\${NEW}"
    RMDir "$INSTDIR\${OLD}"
    ${If} $R2 = 1
        StrCpy $R0 "delete"
        Call StopDriver
    ${EndIf}
    ${If} $Fresh = 1
        RMDir "$INSTDIR\Profiles"
        RMDir "$INSTDIR"
    ${EndIf}
FunctionEnd

; $0 = 1 when $INSTDIR holds nothing but a Profiles folder (or does not exist): the closed rights
; this setup gives its folder are never put on a folder of other files.
Function FolderIsFree
    StrCpy $0 1
    FindFirst $1 $2 "$INSTDIR\*.*"
    ${DoWhile} $2 != ""
        ${If} $2 != "."
        ${AndIf} $2 != ".."
        ${AndIf} $2 != "Profiles"
            StrCpy $0 0
        ${EndIf}
        FindNext $1 $2
    ${Loop}
    FindClose $1
FunctionEnd

Function Fail
    DetailPrint "Failed: $Failed"
    MessageBox MB_ICONSTOP "Setup could not install Veltarion ($Failed).$\n$\nNothing was changed: $\nthe previous installation, if any, is whole and unchanged." /SD IDOK
    SetErrorLevel 2
    Abort
FunctionEnd

Section "Veltarion (required)" SecMain
    SectionIn RO
    StrCpy $Failed ""
    StrCpy $R2 0
    StrCpy $Swapping 0
    StrCpy $Fresh 1
    ${IfThen} ${FileExists} "$INSTDIR\Veltarion.exe" ${|} StrCpy $Fresh 0 ${|}
    ${If} $Fresh = 1
        Call FolderIsFree
        ${If} $0 = 0
            StrCpy $Failed "$INSTDIR holds other files: choose an empty folder"
            Call Fail
        ${EndIf}
    ${EndIf}

    Call QuitRunning
    ${IfThen} $Failed != "" ${|} Call Fail ${|}

    ; Leftovers of an earlier run that could not finish.
    RMDir /r "$INSTDIR\${NEW}"
    RMDir /r "$INSTDIR\${OLD}"
    ${If} ${FileExists} "$INSTDIR\${OLD}\*.*"
        StrCpy $Failed "an earlier update waits for a restart of Windows"
        Call Fail
    ${EndIf}

    ; The folders and their rights first: every file put in them inherits those rights.
    ClearErrors
    CreateDirectory "$INSTDIR"
    CreateDirectory "$INSTDIR\Profiles"
    CreateDirectory "$INSTDIR\${OLD}"
    ${IfThen} ${Errors} ${|} StrCpy $Failed "the folder $INSTDIR" ${|}
    ${If} $Failed == ""
        StrCpy $R0 "$INSTDIR"
        StrCpy $R1 "${SDDL_APP}"
        Call SetFolderRights
    ${EndIf}
    ${If} $Failed == ""
        StrCpy $R0 "$INSTDIR\Profiles"
        StrCpy $R1 "${SDDL_PROFILES}"
        Call SetFolderRights
    ${EndIf}
    ${If} $Failed != ""
        Call RollBack
        Call Fail
    ${EndIf}

    DetailPrint "Unpacking the new files"
    ClearErrors
    SetOutPath "$INSTDIR\${NEW}"
    File "/oname=Veltarion.exe" "${APP_EXE}"
    File "/oname=OMXDRV.SYS" "${DRIVER}"
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
    StrCpy $R0 ""
    Call StopDriver

    DetailPrint "Replacing the files"
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
        ${IfThen} $Fresh = 0 ${|} Call StartDriver ${|}
        Call Fail
    ${EndIf}
    RMDir /r /REBOOTOK "$INSTDIR\${OLD}"
    RMDir /r "$INSTDIR\${NEW}"

    Call StartDriver
    ${If} $0 = 1
        DetailPrint "Driver service ${SERVICE} started"
    ${Else}
        DetailPrint "The driver service ${SERVICE} did not start now; it starts with Windows"
        MessageBox MB_ICONEXCLAMATION "Veltarion is installed, but its driver did not start now. It starts with Windows: restart the computer before you use Veltarion." /SD IDOK
        SetErrorLevel 3
    ${EndIf}

    SetShellVarContext all
    ; The help documents are opened from the current folder: the shortcut starts in the program's.
    CreateShortcut "$SMPROGRAMS\Veltarion.lnk" "$INSTDIR\Veltarion.exe"
    DeleteRegValue HKLM "${RUN_KEY}" "Veltarion"

    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${DISPLAY_NAME}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Veltarion.exe"
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
    SectionGetSize ${SecMain} $0
    WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start Veltarion when I log on" SecRun
    WriteRegStr HKLM "${RUN_KEY}" "Veltarion" '"$INSTDIR\Veltarion.exe"'
SectionEnd

Function .onInit
    Call RequireAdmin
FunctionEnd

; A copy that ran before the setup runs again: the new one, or the old one when nothing changed.
Function RestartIfItRan
    ${If} $WasRunning = 1
    ${AndIf} ${FileExists} "$INSTDIR\Veltarion.exe"
        SetOutPath "$INSTDIR"
        Exec '"$INSTDIR\Veltarion.exe"'
    ${EndIf}
FunctionEnd

Function .onInstSuccess
    Call RestartIfItRan
FunctionEnd

Function .onInstFailed
    Call RestartIfItRan
FunctionEnd

Section "un.Veltarion (required)"
    SectionIn RO
    StrCpy $Failed ""
    Call un.QuitRunning
    ${If} $Failed != ""
        MessageBox MB_ICONSTOP "Veltarion is running and did not quit. Quit it from its tray menu and run the uninstaller again." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    StrCpy $R0 "delete"
    Call un.StopDriver
    !insertmacro FOR_EACH_FILE REMOVE
    SetShellVarContext all
    Delete "$SMPROGRAMS\Veltarion.lnk"
    DeleteRegValue HKLM "${RUN_KEY}" "Veltarion"
    DeleteRegKey HKLM "${UNINST_KEY}"
    ; Profiles stay unless the next option is ticked; the folders go once empty (never scheduled
    ; for a restart: a folder that keeps profiles must not be marked for deletion).
    RMDir "$INSTDIR\Profiles"
    RMDir "$INSTDIR"
SectionEnd

; Off by default and never in silent mode: a quiet uninstall keeps the profiles.
Section /o "un.Also remove my profiles" SecRemoveProfiles
    ${IfNot} ${Silent}
        Delete "$INSTDIR\Profiles\profiles.omx"
        Delete "$INSTDIR\Profiles\profiles.bak"
        Delete "$INSTDIR\Profiles\profiles.new"
        Delete "$INSTDIR\Profiles\profiles.*.new" ; the numbered copies of refused saves
        RMDir "$INSTDIR\Profiles"
        RMDir "$INSTDIR"
    ${EndIf}
SectionEnd

Function un.onInit
    Call un.RequireAdmin
FunctionEnd
