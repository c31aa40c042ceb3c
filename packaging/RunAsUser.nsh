; Starting the installed program as the signed-in user (included by Veltarion.nsi).
;
; The setup runs elevated (or as SYSTEM under a deployment tool); a program it starts itself would
; run with that token on the user's desktop. Instead the request goes to the shell of this
; session, the desktop's Explorer, which runs with the user's own token: the desktop window's
; shell view hands out the Shell object, whose ShellExecute starts the program from Explorer.
; When there is no such shell (no Explorer, or the setup runs as SYSTEM), nothing is started; the
; Run entry starts the program at the next log-on.

; $1 = 1 when this process runs as SYSTEM.
Function IsLocalSystem
    StrCpy $1 0
    System::Call 'kernel32::GetCurrentProcess() p .r2'
    ; TOKEN_QUERY
    System::Call 'advapi32::OpenProcessToken(p r2, i 8, *p .r3) i .r4'
    ${If} $4 = 0
        Return
    ${EndIf}
    System::Call '*(&i256) p .r5'
    ; TokenUser: a TOKEN_USER, whose first field points at the user's SID
    System::Call 'advapi32::GetTokenInformation(p r3, i 1, p r5, i 256, *i .r6) i .r4'
    ${If} $4 <> 0
        System::Call '*$5(p .r6)'
        ; WinLocalSystemSid
        System::Call 'advapi32::IsWellKnownSid(p r6, i 22) i .r4'
        ${IfThen} $4 <> 0 ${|} StrCpy $1 1 ${|}
    ${EndIf}
    System::Free $5
    System::Call 'kernel32::CloseHandle(p r3)'
FunctionEnd

; Releases the COM interface in $R9 when there is one.
Function ReleaseInterface
    ${If} $R9 P<> 0
        System::Call '$R9->2()'
    ${EndIf}
FunctionEnd
!define Release "!insertmacro RELEASE_INTERFACE"
!macro RELEASE_INTERFACE PTR
    StrCpy $R9 ${PTR}
    Call ReleaseInterface
!macroend

; Starts "$INSTDIR\Veltarion.exe" in $INSTDIR (it opens its help documents from its current
; folder) through the shell of this session. $0 = 1 when the shell took the request.
Function StartAsUser
    StrCpy $0 0
    Call IsLocalSystem
    ${If} $1 = 1
        ${Log} "Not started: the setup runs as SYSTEM (the Run entry starts Veltarion at log-on)"
        Return
    ${EndIf}
    Push $R9
    Push $R7
    ; S_OK or S_FALSE: COM is in use on this thread until the matching CoUninitialize
    System::Call 'ole32::CoInitialize(p 0) i .R7'
    StrCpy $1 0
    StrCpy $2 0
    StrCpy $3 0
    StrCpy $4 0
    StrCpy $5 0
    StrCpy $6 0
    StrCpy $7 0
    StrCpy $8 0
    ; CLSID_ShellWindows in the shell's own process (CLSCTX_LOCAL_SERVER), IID_IShellWindows
    System::Call 'ole32::CoCreateInstance(g "{9BA05972-F6A8-11CF-A442-00A0C90A8F39}", p 0, i 4, g "{85CB6900-4D95-11CF-960C-0080C7F4EE85}", *p .r1) i .r0'
    ${If} $0 = 0
        ; FindWindowSW(VT_I4 CSIDL_DESKTOP, VT_EMPTY, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH,
        ; &dispatch)
        System::Call '*(i 3, i 0, i 0, i 0) p .r7'
        System::Call '*(i 0, i 0, i 0, i 0) p .r8'
        System::Call '$1->15(p r7, p r8, i 8, *i .r9, i 1, *p .r2) i .r0'
        System::Free $7
        System::Free $8
        StrCpy $7 0
        StrCpy $8 0
    ${EndIf}
    ${If} $0 = 0
    ${AndIf} $2 P<> 0
        ; IServiceProvider, then the top-level browser's IShellBrowser
        System::Call '$2->0(g "{6D5140C1-7436-11CE-8034-00AA006009FA}", *p .r3) i .r0'
        ${If} $0 = 0
            System::Call '$3->3(g "{4C96BE40-915C-11CF-99D3-00AA004AE837}", g "{000214E2-0000-0000-C000-000000000046}", *p .r4) i .r0'
        ${EndIf}
        ; IShellBrowser::QueryActiveShellView, then the view's background as IDispatch
        ${If} $0 = 0
            System::Call '$4->15(*p .r5) i .r0'
        ${EndIf}
        ${If} $0 = 0
            System::Call '$5->15(i 0, g "{00020400-0000-0000-C000-000000000046}", *p .r6) i .r0'
        ${EndIf}
        ; IShellFolderViewDual::get_Application, then IShellDispatch2 of it
        ${If} $0 = 0
            System::Call '$6->0(g "{E7A1AF80-4D96-11CF-960C-0080C7F4EE85}", *p .r7) i .r0'
        ${EndIf}
        ${If} $0 = 0
            System::Call '$7->7(*p .r8) i .r0'
            ${Release} $7
            StrCpy $7 0
        ${EndIf}
        ${If} $0 = 0
            System::Call '$8->0(g "{A4C6892C-3BA9-11D2-9DEA-00C04FB16162}", *p .r7) i .r0'
        ${EndIf}
        ${If} $0 = 0
            System::Call 'oleaut32::SysAllocString(w "$INSTDIR\Veltarion.exe") p .r0'
            System::Call 'oleaut32::SysAllocString(w "$INSTDIR") p .r9'
            ; ShellExecute(file, args, dir, operation, show): each VARIANT by value as four
            ; DWORDs (type, reserved, value): no arguments, dir a VT_BSTR, the default
            ; operation, show a VT_I4 SW_SHOWNORMAL.
            System::Call '$7->31(p r0, i 0, i 0, i 0, i 0, i 8, i 0, p r9, i 0, i 0, i 0, i 0, i 0, i 3, i 0, i 1, i 0) i .r1'
            System::Call 'oleaut32::SysFreeString(p r0)'
            System::Call 'oleaut32::SysFreeString(p r9)'
            StrCpy $0 $1
        ${EndIf}
    ${EndIf}
    ${Release} $7
    ${Release} $8
    ${Release} $6
    ${Release} $5
    ${Release} $4
    ${Release} $3
    ${Release} $2
    ${Release} $1
    ${If} $R7 >= 0
        System::Call 'ole32::CoUninitialize()'
    ${EndIf}
    Pop $R7
    Pop $R9
    ${If} $0 = 0
        StrCpy $0 1
        ${Log} "Veltarion started as the signed-in user"
    ${Else}
        StrCpy $0 0
        ${Log} "Veltarion not started: no shell of a signed-in user answered"
    ${EndIf}
FunctionEnd
