; Obrivo's installer and uninstaller (NSIS 3, Unicode, 64-bit).
;
; The build passes:
;   VERSION  the project's version (four numbers)
;   DIST     the folder with the stripped programs
;   HELP     the folder with the help pages
;   HELP_LIST  a script that deletes each help page from $INSTDIR
;   SOUNDS   the folder with the sounds
;   ICON     the program's icon
;   OUTFILE  the installer to write
;
; What the programs write (the settings store, history, the copies of disabled and removed
; startup files) is never removed here without the user's explicit choice: the disabled entries'
; commands live only there.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Obrivo"
!define PUBLISHER "Tolvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Obrivo"
!define MONITOR_CLASS "Obrivo"
!define EXPLORER_CLASS "ObrivoEx"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} Uninstall"
; A file that cannot be replaced must stop the installation, never be skipped.
AllowSkipFiles off

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Obrivo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start the Obrivo Monitor now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var MonitorWasRunning

; Ends the running program whose main window has class CLASS by closing that window (neither
; program asks anything then), and waits for its process to end. Sets $R9 to 1 when it still
; runs afterwards.
!macro CloseProgram CLASS
  StrCpy $R9 0
  StrCpy $R8 0
  ${Do}
    FindWindow $R0 "${CLASS}" ""
    ${If} $R0 == 0
      ${Break}
    ${EndIf}
    ${If} $R8 >= 5
      StrCpy $R9 1
      ${Break}
    ${EndIf}
    IntOp $R8 $R8 + 1
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1) i'
    ; SYNCHRONIZE: enough to wait for the end of the process.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2'
    SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $R2 != 0
      System::Call 'kernel32::WaitForSingleObject(p R2, i 20000) i'
      System::Call 'kernel32::CloseHandle(p R2)'
    ${Else}
      Sleep 500
    ${EndIf}
  ${Loop}
!macroend

!macro CloseBothPrograms UN
  Function ${UN}CloseBothPrograms
    !insertmacro CloseProgram "${EXPLORER_CLASS}"
    StrCpy $R7 $R9
    !insertmacro CloseProgram "${MONITOR_CLASS}"
    IntOp $R9 $R9 | $R7
    ${If} $R9 <> 0
      MessageBox MB_OK|MB_ICONSTOP "Obrivo is still running and could not be closed.$\r$\n$\r$\nClose the Obrivo Monitor and the Obrivo Explorer, then run this again. Nothing has been changed." /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro CloseBothPrograms ""
!insertmacro CloseBothPrograms "un."

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Obrivo" SecMain
  SectionIn RO
  StrCpy $MonitorWasRunning 0
  FindWindow $0 "${MONITOR_CLASS}" ""
  ${If} $0 <> 0
    StrCpy $MonitorWasRunning 1
  ${EndIf}
  ; An upgrade: the running copies go first, so that no file is left half-replaced.
  Call CloseBothPrograms

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${DIST}\Obrivo.exe"
  File "${DIST}\ObrivoEx.exe"
  File "${DIST}\Quenrax.dll"
  File "${HELP}\*.html"
  File "${HELP}\style.css"
  SetOutPath "$INSTDIR\Sounds"
  File "${SOUNDS}\*.wav"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Obrivo Explorer.lnk" "$INSTDIR\ObrivoEx.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Obrivo Monitor.lnk" "$INSTDIR\Obrivo.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\Obrivo.exe$\",0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\Uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\Uninstall.exe$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; A silent upgrade gives back the Monitor it ended; an interactive one offers it on the last
  ; page.
  ${If} ${Silent}
  ${AndIf} $MonitorWasRunning = 1
    Exec '"$INSTDIR\Obrivo.exe"'
  ${EndIf}
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  Call un.CloseBothPrograms

  ; The product's own clean-up: delayed programs back where they started from, the logon start
  ; and the Explorer's menu entries gone.
  ; A delayed program that could not go back stays listed in the settings: they are kept then.
  StrCpy $1 1
  ExecWait '"$INSTDIR\ObrivoEx.exe" -Restore' $1
  ${IfNot} ${Silent}
  ${AndIf} $1 <> 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "Some programs of the Delayed Start list could not be put back into the Windows startup list.$\r$\n$\r$\nObrivo's settings, which hold them, are kept, so that Obrivo can put them back if you install it again."
  ${EndIf}

  ${IfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION "Enable again the startup programs that Obrivo disabled?$\r$\n$\r$\nIf you answer No, they stay disabled. Obrivo's settings, which hold them, are kept, so that Obrivo can enable them if you install it again." IDNO keepStore
    StrCpy $0 1
    ExecWait '"$INSTDIR\ObrivoEx.exe" -EnableDisabled' $0
    ; Some entries are still disabled: their commands live only in the settings.
    IntCmp $0 0 0 keepStore keepStore
    IntCmp $1 0 0 keepStore keepStore
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Delete Obrivo's settings as well?$\r$\n$\r$\nThey hold the programs you accepted, your choices and the dates programs were first seen. The history file and the copies of removed files are kept either way." IDNO keepStore
    DeleteRegKey HKCU "Software\Tolvane\Obrivo"
    DeleteRegKey HKCU "Software\Tolvane\Detected"
    DeleteRegKey /ifempty HKCU "Software\Tolvane"
    DeleteRegKey HKLM "Software\Tolvane\Obrivo"
    DeleteRegKey /ifempty HKLM "Software\Tolvane"
    keepStore:
  ${EndIf}

  ; Only what was installed: the folder stays when the programs wrote anything into it.
  Delete "$INSTDIR\Obrivo.exe"
  Delete "$INSTDIR\ObrivoEx.exe"
  Delete "$INSTDIR\Quenrax.dll"
  !include "${HELP_LIST}"
  Delete "$INSTDIR\Sounds\alert.wav"
  RMDir "$INSTDIR\Sounds"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\Obrivo Explorer.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Obrivo Monitor.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
