; The per-user installer of Tarsil Software. The build makes it (see
; packaging/CMakeLists.txt) with
;
;   makensis -DVERSION=1.2.3 -DPAYLOAD=<folder> -DICON=<.ico> -DSIDE=<.bmp>
;            -DOUTFILE=<setup.exe> tarsil.nsi
;
; PAYLOAD is the folder a user runs the program from: Tarsil.exe, Main.ini,
; Composite.ini, Programs.ini and skin\.
;
; The program keeps its settings (set.ini) beside its executable and writes
; them whenever it ends, so it is installed where the user may write: the
; user's own programs folder, without administrator rights. set.ini is never
; shipped, replaced or removed without asking.

!macro REQUIRE name
  !ifndef ${name}
    !error "Define ${name} (see the top of this file)."
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE PAYLOAD
!insertmacro REQUIRE ICON
!insertmacro REQUIRE SIDE
!insertmacro REQUIRE OUTFILE

Unicode true
; The program is 64-bit; so is its installer (and 64-bit Wine runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all

!define PRODUCT "Tarsil Software"
!define PUBLISHER "Tarsil"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The running program marks its main window with this window property and
; holds a mutex of the same name; command 32771 is its Exit, which saves
; set.ini and ends it.
!define INSTANCE_NAME "game keyboard"
!define EXIT_COMMAND 32771
; How long the program may take to save and end after Exit.
!define EXIT_WAIT_MS 15000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the installed version is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; The welcome and finish pages show the program's mark, from the skin generator.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SIDE}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT}, the configuration program of the Tarsil keyboard, for you alone: in your own programs folder, without administrator rights.$\r$\n$\r$\nIf ${PRODUCT} is running, it is closed first, and it saves your settings as it closes. An installed version is replaced; your settings are kept."
!insertmacro MUI_PAGE_WELCOME
Page custom SignInPage SignInPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tarsil.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Tarsil"

; ${BST_CHECKED} when the program is to start at sign-in.
Var StartAtSignIn
Var SignInBox

Function .onInit
  ; On for a new installation; an upgrade keeps what the user has.
  StrCpy $StartAtSignIn ${BST_CHECKED}
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "UninstallString"
  ${If} $0 != ""
    ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $1 == ""
      StrCpy $StartAtSignIn ${BST_UNCHECKED}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function SignInPage
  !insertmacro MUI_HEADER_TEXT "Start with Windows" "Your keys work as you set them while ${PRODUCT} runs."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateCheckbox} 0 0 100% 12u "Start ${PRODUCT} when I sign in"
  Pop $SignInBox
  ${NSD_SetState} $SignInBox $StartAtSignIn
  ${NSD_CreateLabel} 0 20u 100% 30u "It starts in the notification area, with its window hidden. Double-click its icon there to open it."
  Pop $0
  nsDialogs::Show
FunctionEnd

Function SignInPageLeave
  ${NSD_GetState} $SignInBox $StartAtSignIn
FunctionEnd

; The installer and the uninstaller both end a running program before they
; touch its files, through its own Exit, so that it saves set.ini first.
!macro DEFINE_CLOSE_PROGRAM un
  ; $R0: the running program's main window, or 0.
  Function ${un}FindProgramWindow
    StrCpy $R0 0
    ${Do}
      FindWindow $R0 "" "" "" $R0
      ${If} $R0 == 0
        ${Break}
      ${EndIf}
      System::Call 'user32::GetPropW(p R0, w "${INSTANCE_NAME}") p .R1'
    ${LoopUntil} $R1 != 0
  FunctionEnd

  ; $R1: 1 while a program holds the instance mutex (one that is starting
  ; or ending has no main window).
  Function ${un}ProgramRuns
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_NAME}") p .R1'
    ${If} $R1 != 0
      System::Call 'kernel32::CloseHandle(p R1)'
      StrCpy $R1 1
    ${EndIf}
  FunctionEnd

  Function ${un}CloseProgram
    ${Do}
      Call ${un}FindProgramWindow
      ${If} $R0 != 0
        DetailPrint "Closing ${PRODUCT}, which saves your settings"
        System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2)'
        System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R2) p .R3'
        SendMessage $R0 ${WM_COMMAND} ${EXIT_COMMAND} 0 /TIMEOUT=5000
        ${If} $R3 != 0
          System::Call 'kernel32::WaitForSingleObject(p R3, i ${EXIT_WAIT_MS})'
          System::Call 'kernel32::CloseHandle(p R3)'
        ${EndIf}
      ${EndIf}
      ; Waits a moment for a program that holds the name without a window.
      StrCpy $R4 0
      ${Do}
        Call ${un}ProgramRuns
        ${If} $R1 == 0
          Return
        ${EndIf}
        Sleep 100
        IntOp $R4 $R4 + 1
      ${LoopUntil} $R4 >= 30
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running. It may be waiting for an answer in one of its windows.$\r$\n$\r$\nEnd it (Exit in its menu), then choose Retry." /SD IDCANCEL IDRETRY retry
      DetailPrint "${PRODUCT} is still running: nothing was changed."
      SetErrorLevel 3
      Abort "${PRODUCT} is still running."
      retry:
    ${Loop}
  FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_PROGRAM ""
!insertmacro DEFINE_CLOSE_PROGRAM "un."

Section "Install"
  Call CloseProgram
  SetOutPath "$INSTDIR"
  ; The pictures of an earlier version go; set.ini, the user's, stays.
  RMDir /r "$INSTDIR\skin"
  File "${PAYLOAD}/Tarsil.exe"
  File "${PAYLOAD}/Main.ini"
  File "${PAYLOAD}/Composite.ini"
  File "${PAYLOAD}/Programs.ini"
  File /r "${PAYLOAD}/skin"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tarsil.exe" "" "$INSTDIR\Tarsil.exe" 0
  ${If} $StartAtSignIn == ${BST_CHECKED}
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Tarsil.exe" --tray'
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tarsil.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Call un.CloseProgram
  Delete "$INSTDIR\Tarsil.exe"
  Delete "$INSTDIR\Main.ini"
  Delete "$INSTDIR\Composite.ini"
  Delete "$INSTDIR\Programs.ini"
  RMDir /r "$INSTDIR\skin"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The settings stay unless the user says otherwise: a reinstallation
  ; finds them where it puts the program.
  ${If} ${FileExists} "$INSTDIR\set.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON1 "Keep your settings (set.ini) for a later installation?$\r$\n$\r$\nThey stay in $INSTDIR." /SD IDYES IDYES keep
    Delete "$INSTDIR\set.ini"
    keep:
  ${EndIf}
  ; Only once empty: the user may keep files of their own there.
  RMDir "$INSTDIR"
SectionEnd
