; The setup's and the uninstaller's own log and command-line options (included by Veltarion.nsi).
;
; /LOG=file appends every step the details window shows, the refusals and the exit code to the
; file, so that a silent run under a deployment tool leaves a record. ${Log} "text" shows a line in
; the details and writes it to the log when there is one.

!include "FileFunc.nsh"

Var LogFile ; handle of the open log; "" without /LOG=

!define Log "!insertmacro LOG_LINE"
!macro LOG_LINE TEXT
    Push "${TEXT}"
    !ifdef __UNINSTALL__
        Call un.LogLine
    !else
        Call LogLine
    !endif
!macroend

!macro LOG_FUNCTIONS UN
    ; Opens the file named by /LOG= for appending, if one is named.
    Function ${UN}OpenLog
        StrCpy $LogFile ""
        ${GetParameters} $0
        ClearErrors
        ${GetOptions} $0 "/LOG=" $1
        ${If} ${Errors}
        ${OrIf} $1 == ""
            Return
        ${EndIf}
        ClearErrors
        FileOpen $LogFile $1 a
        ${If} ${Errors}
            StrCpy $LogFile ""
            Return
        ${EndIf}
        FileSeek $LogFile 0 END
        ${Log} "$(^Name): $CMDLINE"
    FunctionEnd

    ; The line on the stack: shown in the details, and written to the log.
    Function ${UN}LogLine
        Exch $R9
        DetailPrint $R9
        ${If} $LogFile != ""
            FileWrite $LogFile "$R9$\r$\n"
        ${EndIf}
        Pop $R9
    FunctionEnd

    ; Ends the run now with exit code $R9, after the message $R8 (an error box; in silent mode
    ; only the log holds it). For refusals that come before anything was changed.
    Function ${UN}Refuse
        ${Log} "Refused: $R8"
        ${Log} "Exit code $R9"
        MessageBox MB_ICONSTOP "$R8" /SD IDOK
        SetErrorLevel $R9
        Quit
    FunctionEnd
!macroend
!insertmacro LOG_FUNCTIONS ""
!insertmacro LOG_FUNCTIONS "un."
