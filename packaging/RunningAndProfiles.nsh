; What the setup and the uninstaller tell the user beyond their steps (included by Veltarion.nsi):
; that a running Veltarion will be closed and protection turned off, and where the profiles that
; an uninstallation keeps are.

!define MSG_WILL_CLOSE "Veltarion is running: it will be closed, and protection turned off."

; A page's show function: while a copy runs on this desktop, the page's subtitle says that it
; will be closed and protection turned off (the components page and the first page).
Function ShowRunningNotice
    System::Call '${SETUP}::VeltRunningCopy() i .r0'
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
