; Which folder the setup may make its own, and its rights (included by Veltarion.nsi).
;
; The setup runs as an administrator or as SYSTEM and locks its folder to administrators, so it
; must never take over a folder that holds other people's files, never follow a junction or
; symbolic link to somewhere else, and never trust a folder that a standard user owns (its owner
; can change its rights back at any time and swap the driver that loads at boot).

; The trusted writers besides the owner of the system folder: SYSTEM, Administrators and
; TrustedInstaller.
!define SID_SYSTEM "S-1-5-18"
!define SID_ADMINS "S-1-5-32-544"
!define SID_INSTALLER "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
; CreateFileW flags of a handle to a folder itself, never to what a reparse point names:
; FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT.
!define OPEN_FOLDER_ITSELF 0x02200000

!macro FOLDER_FUNCTIONS UN
    ; $0 = 1 when $R0 is a reparse point (junction, symbolic link, mount point), 0 when it is not
    ; or does not exist.
    Function ${UN}IsReparsePoint
        System::Call 'kernel32::GetFileAttributesW(w R0) i .r0'
        ${If} $0 = -1
            StrCpy $0 0
        ${Else}
            IntOp $0 $0 >> 10 ; FILE_ATTRIBUTE_REPARSE_POINT (0x400)
            IntOp $0 $0 & 1
        ${EndIf}
    FunctionEnd
!macroend
!insertmacro FOLDER_FUNCTIONS ""
!insertmacro FOLDER_FUNCTIONS "un."

; $0: the owner of $R0 as a SID string, read through a handle to $R0 itself; "" when unreadable.
Function OwnerOf
    StrCpy $0 ""
    ; READ_CONTROL, any sharing, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w R0, i 0x20000, i 7, p 0, i 3, i ${OPEN_FOLDER_ITSELF}, p 0) p .r1'
    ${If} $1 = -1
        Return
    ${EndIf}
    ; SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION
    System::Call 'advapi32::GetSecurityInfo(p r1, i 1, i 1, *p .r2, p 0, p 0, p 0, *p .r3) i .r4'
    ${If} $4 = 0
        System::Call 'advapi32::ConvertSidToStringSidW(p r2, *p .r5) i .r4'
        ${If} $4 <> 0
            System::Call 'kernel32::lstrcpynW(w .r0, p r5, i ${NSIS_MAX_STRLEN})'
            System::Call 'kernel32::LocalFree(p r5)'
        ${EndIf}
        System::Call 'kernel32::LocalFree(p r3)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
FunctionEnd

; $0 = 1 when the owner of $R0 is a trusted writer: SYSTEM, Administrators, TrustedInstaller, or
; the owner of the system folder (that account can replace the system itself). Uses $1 to $7.
Function HasTrustedOwner
    Call OwnerOf
    StrCpy $7 $0
    StrCpy $0 1
    ${If} $7 == "${SID_SYSTEM}"
    ${OrIf} $7 == "${SID_ADMINS}"
    ${OrIf} $7 == "${SID_INSTALLER}"
        Return
    ${EndIf}
    Push $R0
    StrCpy $R0 $SYSDIR
    Call OwnerOf
    Pop $R0
    ${If} $7 == ""
    ${OrIf} $0 != $7
        StrCpy $0 0
    ${Else}
        StrCpy $0 1
    ${EndIf}
FunctionEnd

; $0 = 1 when $INSTDIR holds nothing but a Profiles folder of profile files ("profiles.*"), as the
; uninstaller leaves it when the profiles are kept (or nothing at all).
Function HoldsOnlyKeptProfiles
    StrCpy $0 1
    FindFirst $1 $2 "$INSTDIR\*.*"
    ${DoWhile} $2 != ""
        ${If} $2 == "Profiles"
            ${IfNot} ${FileExists} "$INSTDIR\Profiles\*.*"
                StrCpy $0 0
            ${EndIf}
        ${ElseIf} $2 != "."
        ${AndIf} $2 != ".."
            StrCpy $0 0
        ${EndIf}
        FindNext $1 $2
    ${Loop}
    FindClose $1
    ${If} $0 = 0
        Return
    ${EndIf}
    FindFirst $1 $2 "$INSTDIR\Profiles\*.*"
    ${DoWhile} $2 != ""
        StrCpy $3 $2 9
        ${If} $2 != "."
        ${AndIf} $2 != ".."
        ${If} $3 != "profiles."
        ${OrIf} ${FileExists} "$INSTDIR\Profiles\$2\*.*"
            StrCpy $0 0
        ${EndIf}
        ${EndIf}
        FindNext $1 $2
    ${Loop}
    FindClose $1
FunctionEnd

; Whether the setup may make $INSTDIR its own; nothing is changed here. $R8 = "" when it may,
; otherwise the reason. A folder that does not exist yet is made by the setup. An existing one is
; taken when it is the folder of the installation recorded in the uninstall entry, or is empty or
; holds only kept profiles; never when it or its Profiles is a reparse point or its owner is not a
; trusted writer.
Function CheckInstallFolder
    StrCpy $R8 ""
    ; First, so that a link to nowhere counts as a link, not as a folder still to be made.
    StrCpy $R0 "$INSTDIR"
    Call IsReparsePoint
    ${If} $0 = 0
        StrCpy $R0 "$INSTDIR\Profiles"
        Call IsReparsePoint
    ${EndIf}
    ${If} $0 = 1
        StrCpy $R8 "$R0 is a junction or a symbolic link. Choose a folder of its own for Veltarion."
        Return
    ${EndIf}
    ${IfNot} ${FileExists} "$INSTDIR\*.*"
        ${IfThen} ${FileExists} "$INSTDIR" ${|} StrCpy $R8 "$INSTDIR is a file, not a folder." ${|}
        Return
    ${EndIf}
    StrCpy $R0 "$INSTDIR"
    Call HasTrustedOwner
    ${If} $0 = 0
        StrCpy $R8 "$INSTDIR belongs to an account that is not an administrator of this computer. Choose a folder that only administrators can change, such as one in Program Files."
        Return
    ${EndIf}
    ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $1 == $INSTDIR
    ${AndIf} ${FileExists} "$INSTDIR\Veltarion.exe"
        Return
    ${EndIf}
    Call HoldsOnlyKeptProfiles
    ${If} $0 = 0
        StrCpy $R8 "$INSTDIR holds other files and is not the folder of an installed Veltarion. Choose an empty folder or a new one."
    ${EndIf}
FunctionEnd

; Makes Administrators the owner of folder $R0 and gives it the rights $R1 (SDDL of a protected
; DACL), through a handle to the folder itself: a folder that has become a reparse point since it
; was checked is refused, never followed. $Failed on failure.
Function SetFolderRights
    ; READ_CONTROL | WRITE_DAC | WRITE_OWNER, any sharing, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w R0, i 0xE0000, i 7, p 0, i 3, i ${OPEN_FOLDER_ITSELF}, p 0) p .r2'
    ${If} $2 = -1
        StrCpy $Failed "the rights of $R0"
        Return
    ${EndIf}
    ; BY_HANDLE_FILE_INFORMATION: the attributes come first.
    System::Call '*(&i52) p .r3'
    System::Call 'kernel32::GetFileInformationByHandle(p r2, p r3) i .r0'
    System::Call '*$3(i .r4)'
    System::Free $3
    IntOp $4 $4 & 0x410 ; FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT
    StrCpy $1 0
    ${If} $0 <> 0
    ${AndIf} $4 = 0x10
        System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "O:BA$R1", i 1, *p .r1, p 0) i .r0'
    ${EndIf}
    ${If} $1 P<> 0
        ; OWNER | DACL | PROTECTED_DACL_SECURITY_INFORMATION, on the handle itself (files made in
        ; the folder afterwards inherit from it). SetSecurityInfo would also rewrite the rights of
        ; what the folder already holds, but Wine ignores it on a handle.
        System::Call 'advapi32::SetKernelObjectSecurity(p r2, i 0x80000005, p r1) i .r0'
        System::Call 'kernel32::LocalFree(p r1)'
        ${IfThen} $0 = 0 ${|} StrCpy $1 0 ${|}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r2)'
    ${IfThen} $1 P= 0 ${|} StrCpy $Failed "the rights of $R0" ${|}
FunctionEnd
