; What the setup and the uninstaller tell the user beyond their steps (included by Veltarion.nsi):
; that a running Veltarion will be closed and protection turned off, and where the profiles that
; an uninstallation keeps are.

!define MSG_WILL_CLOSE "Veltarion is running: it will be closed, and protection turned off."
!define MSG_PROFILES_KEPT "Every user's profiles are kept: each user's own file, profiles.omx, stays in that user's local application data folder (<local application data>\Veltarion). The Profiles folder of an earlier version stays too."

; A page's show function: while a copy runs on this desktop, the page's subtitle says that it
; will be closed and protection turned off (the components page and the first page).
Function ShowRunningNotice
    Call RecordedFolder
    System::Call '${SETUP}::VeltRunningCopy(w "$INSTDIR", w r1) i .r0'
    ${If} $0 == "1"
        GetDlgItem $0 $HWNDPARENT 1038
        System::Call 'user32::GetWindowTextW(p r0, w .r1, i ${NSIS_MAX_STRLEN})'
        SendMessage $0 ${WM_SETTEXT} 0 "STR:$1 ${MSG_WILL_CLOSE}"
    ${EndIf}
FunctionEnd

; Logs the profile files of one user folder ($R0) that are still there: the local application
; data folder of Windows Vista and later, and of Windows XP.
Function un.LogUserProfiles
    ${ForEach} $R2 0 1 + 1
        ${If} $R2 = 0
            StrCpy $R3 "$R0\AppData\Local\${UserStoreFile}"
        ${Else}
            StrCpy $R3 "$R0\Local Settings\Application Data\${UserStoreFile}"
        ${EndIf}
        ${If} ${FileExists} $R3
            ${Log} "Profiles kept: $R3"
            IntOp $R4 $R4 + 1
        ${EndIf}
    ${Next}
FunctionEnd

; Lists, on the last page and in the log, where the profiles that stay are: each user's own file
; in that user's local application data folder, and the Profiles folder of earlier versions.
Function un.LogKeptProfiles
    StrCpy $R4 0
    ${Log} "Each user's profiles are kept in that user's <local application data>\${UserStoreFile}."
    StrCpy $R1 0
    ${Do}
        EnumRegKey $R5 HKLM "Software\Microsoft\Windows NT\CurrentVersion\ProfileList" $R1
        ${IfThen} $R5 == "" ${|} ${Break} ${|}
        ReadRegStr $R0 HKLM "Software\Microsoft\Windows NT\CurrentVersion\ProfileList\$R5" "ProfileImagePath"
        ExpandEnvStrings $R0 $R0
        ${IfThen} $R0 != "" ${|} Call un.LogUserProfiles ${|}
        IntOp $R1 $R1 + 1
    ${Loop}
    ${If} ${FileExists} "$INSTDIR\${FolderStoreFile}"
        ${Log} "Profiles kept: $INSTDIR\${FolderStoreFile} (shared by the users of earlier versions)"
        IntOp $R4 $R4 + 1
    ${EndIf}
    ${IfThen} $R4 = 0 ${|} ${Log} "No profiles were found on this computer." ${|}
FunctionEnd

; The uninstaller's confirm page's show function: below the folder's field, as wide as it and down
; to the page's foot (the page's own texts are too short to hold it), a label says that a running
; copy will be closed and protection turned off, and where the profiles that stay are.
Function un.ShowConfirmNotice
    StrCpy $R0 "${MSG_PROFILES_KEPT}"
    Call un.RecordedFolder
    System::Call '${SETUP}::VeltRunningCopy(w "$INSTDIR", w r1) i .r0'
    ${If} $0 == "1"
        StrCpy $R0 "${MSG_WILL_CLOSE}$\r$\n$\r$\n$R0"
    ${EndIf}
    FindWindow $R1 "#32770" "" $HWNDPARENT
    GetDlgItem $R2 $R1 1000
    System::Call '*(i 0, i 0, i 0, i 0) p .R3'
    System::Call 'user32::GetWindowRect(p R2, p R3)'
    System::Call 'user32::MapWindowPoints(p 0, p R1, p R3, i 2)'
    System::Call '*$R3(i .R4, i, i .R5, i .R6)'
    System::Call 'user32::GetClientRect(p R1, p R3)'
    System::Call '*$R3(i, i, i, i .R7)'
    System::Free $R3
    IntOp $R6 $R6 + 16
    IntOp $R5 $R5 - $R4
    IntOp $R7 $R7 - $R6
    ; WS_CHILD | WS_VISIBLE: a static text, whose words wrap
    System::Call 'user32::CreateWindowExW(i 0, w "STATIC", w R0, i 0x50000000, i R4, i R6, i R5, i R7, p R1, p 1300, p 0, p 0) p .R8'
    SendMessage $R1 ${WM_GETFONT} 0 0 $R9
    SendMessage $R8 ${WM_SETFONT} $R9 1
FunctionEnd
