; The setup of Tarvek HotKey: per user, no administrator, into a folder the user can write to
; (the program keeps its lists beside itself). makensis gets from the build:
;   VERSION (1.0), VERSION_MAJOR, VERSION_MINOR, STAGE (the release's files), RES (this folder),
;   OUTFILE.

Unicode true
; A 64-bit setup for a 64-bit program: it runs wherever the program can, and needs no 32-bit
; layer (which a 64-bit Wine prefix may lack).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define APP "Tarvek HotKey"
!define EXE "TarvekHotKey.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define SETTINGS_KEY "Software\Tarvek HotKey"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "HotKey"
; The running copy's hand-over window, the one a second start looks for.
!define APP_WINDOW_CLASS "TarvekHotKeyApp"
!define APP_WINDOW_TITLE "Tarvek HotKey"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
; An update goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"

!define MUI_ICON "${RES}\app.ico"
!define MUI_UNICON "${RES}\app.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "现在启动 ${APP}"

Var StartWithWindowsBox
Var StartWithWindows

!insertmacro MUI_PAGE_DIRECTORY
Page custom StartupPageShow StartupPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${APP} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "MIT License"

; Ends a running copy the way 退出程序 does, so that it saves its list and frees its hotkeys,
; then waits until the program file is free to be replaced. Only when a copy runs: a start
; without one would be a plain start of the program.
!macro EndRunningCopy un
Function ${un}EndRunningCopy
  FindWindow $0 "${APP_WINDOW_CLASS}" "${APP_WINDOW_TITLE}"
  ${If} $0 == 0
  ${OrIfNot} ${FileExists} "$INSTDIR\${EXE}"
    Return
  ${EndIf}
  ExecWait '"$INSTDIR\${EXE}" /exit'
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${APP_WINDOW_CLASS}" "${APP_WINDOW_TITLE}"
    ${If} $0 == 0
      ClearErrors
      FileOpen $2 "$INSTDIR\${EXE}" a
      ${IfNot} ${Errors}
        FileClose $2
        ${Break}
      ${EndIf}
    ${EndIf}
    IntOp $1 $1 + 1
    ${IfThen} $1 >= 100 ${|} ${Break} ${|}
    Sleep 100
  ${Loop}
FunctionEnd
!macroend
!insertmacro EndRunningCopy ""
!insertmacro EndRunningCopy "un."

Function .onVerifyInstDir
  ; The program refuses to run from a drive's root folder.
  StrLen $0 $INSTDIR
  ${IfThen} $0 <= 3 ${|} Abort ${|}
FunctionEnd

; The Run entry as 开机运行 writes it: the program's path in double quotes.
Function StartupPageShow
  !insertmacro MUI_HEADER_TEXT "开机运行" "选择 ${APP} 是否随 Windows 一起启动。"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckBox} 0 0 100% 12u "Windows 启动时自动运行 ${APP}(&R)"
  Pop $StartWithWindowsBox
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\${EXE}"'
    ${NSD_Check} $StartWithWindowsBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function StartupPageLeave
  ${NSD_GetState} $StartWithWindowsBox $StartWithWindows
FunctionEnd

Section
  Call EndRunningCopy
  SetOutPath "$INSTDIR"
  ; Only the program's own files: the lists (*.htk, *.opt, *.abbr, *.bak) and TarvekHotKey.ini
  ; beside it stay as they are.
  File "${STAGE}\${EXE}"
  File "${STAGE}\hotkey.wav"
  File "${STAGE}\mouse.wav"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  ; Silent, the page was not shown: the entry stays as the user left it.
  ${IfNot} ${Silent}
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $StartWithWindows == ${BST_CHECKED}
      WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${EXE}"'
    ${ElseIf} $0 == '"$INSTDIR\${EXE}"'
      WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" " "
    ${EndIf}
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tarvek"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${EXE}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Call un.EndRunningCopy
  ; The entry goes when it starts this copy (or is switched off); another copy's stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\${EXE}"'
  ${OrIf} $0 == " "
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\hotkey.wav"
  Delete "$INSTDIR\mouse.wav"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${UNINSTALLER}"

  MessageBox MB_YESNO|MB_ICONQUESTION "是否保留你的热键列表和设置？$\r$\n$\r$\n选“是”保留（重新安装后继续使用），选“否”一并删除。" /SD IDYES IDYES keep
    Delete "$INSTDIR\*.htk"
    Delete "$INSTDIR\*.opt"
    Delete "$INSTDIR\*.abbr"
    Delete "$INSTDIR\*.bak"
    Delete "$INSTDIR\TarvekHotKey.ini"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  keep:
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
