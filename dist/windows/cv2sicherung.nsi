; The setup program for Windows: installs cv2sicherung.exe, cv2cli.exe and the
; HTML guide for all users into the 64-bit program folder, with a Start-menu
; folder, an optional desktop shortcut and an entry in the system's list of
; programs; its uninstaller takes away exactly that. Built by scripts/pack-windows.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DBUILD=<folder with the .exe files>
;            -DGUIDE=<HTML guide folder> -DSOURCE=<source tree> -DOUTFILE=<setup.exe> cv2sicherung.nsi
; Silent for administrators who roll it out: setup.exe /S [/D=C:\Ziel], and
; uninstall.exe /S in the program folder.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "CV2 Sicherung"
!define PUBLISHER "cv2sicherung"
; The entry in the list of programs ("Apps", "Programme und Features").
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\CV2 Sicherung"
!define DEFAULT_DIR "$PROGRAMFILES64\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${DEFAULT_DIR}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1031 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "FileDescription" "${PRODUCT} ${VERSION} – Installation"
VIAddVersionKey /LANG=1031 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${SOURCE}\app\win32\cv2sicherung.ico"
!define MUI_UNICON "${SOURCE}\app\win32\cv2sicherung.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_WELCOMEPAGE_TEXT "Dieser Assistent installiert $(^NameDA) ${VERSION} für alle Benutzer dieses Computers: das Fensterprogramm, cv2cli für die Eingabeaufforderung und die Anleitung.$\r$\n$\r$\nEinstellungen und Sicherungsdateien einer früheren Installation bleiben erhalten.$\r$\n$\r$\n$_CLICK"
; The finish page starts nothing: a program started from here would run with the
; installer's administrator rights and keep its settings where the user's own
; runs would not find them.
!define MUI_FINISHPAGE_TEXT "$(^NameDA) ist installiert.$\r$\n$\r$\nIm Startmenü stehen unter „${PRODUCT}“ das Programm, die Anleitung und „${PRODUCT} entfernen“.$\r$\n$\r$\nKlicken Sie auf Fertigstellen, um den Assistenten zu schließen."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE German

; A running program's files cannot be replaced or removed: Windows keeps a
; running .exe from being opened for writing. Asked until the program has ended or
; the user cancels; a silent run ends at once with exit code 2, changing nothing.
!macro WaitForProgramEnd UN
Function ${UN}WaitForProgramEnd
  ${ForEach} $1 0 1 + 1
    ${If} $1 == 0
      StrCpy $2 "$INSTDIR\cv2sicherung.exe"
    ${Else}
      StrCpy $2 "$INSTDIR\cv2cli.exe"
    ${EndIf}
    ${DoWhile} ${FileExists} $2
      ClearErrors
      FileOpen $0 $2 a
      ${IfNot} ${Errors}
        FileClose $0
        ${Break}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} läuft noch ($2).$\r$\n$\r$\nBitte das Programm beenden und dann „Wiederholen“ wählen." /SD IDCANCEL IDRETRY again
      SetErrorLevel 2
      Quit
      again:
    ${Loop}
  ${Next}
FunctionEnd
!macroend
!insertmacro WaitForProgramEnd ""
!insertmacro WaitForProgramEnd "un."

Function .onInit
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "Die Installation von ${PRODUCT} braucht Administratorrechte." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  ; An update goes where the first installation went, unless /D names a folder.
  ${If} $INSTDIR == "${DEFAULT_DIR}"
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "${PRODUCT} (Programm und Anleitung)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; An update overwrites without asking; the guide is replaced whole, so no
  ; picture of an older guide stays behind.
  SetOverwrite on
  Call WaitForProgramEnd
  File "${BUILD}\cv2sicherung.exe"
  File "${BUILD}\cv2cli.exe"
  RMDir /r "$INSTDIR\Anleitung"
  SetOutPath "$INSTDIR\Anleitung"
  File /r "${GUIDE}\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\cv2sicherung.exe" "" \
    "$INSTDIR\cv2sicherung.exe" 0 SW_SHOWNORMAL "" "Datenbank der CV2 sichern und zurückübertragen"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Anleitung.lnk" "$INSTDIR\Anleitung\anleitung.html" "" \
    "" 0 SW_SHOWNORMAL "" "Anleitung zu ${PRODUCT} im Browser"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} entfernen.lnk" "$INSTDIR\uninstall.exe" "" \
    "$INSTDIR\uninstall.exe" 0 SW_SHOWNORMAL "" "${PRODUCT} von diesem Computer entfernen"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\cv2sicherung.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Verknüpfung auf dem Desktop" SecDesktop
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\cv2sicherung.exe" "" \
    "$INSTDIR\cv2sicherung.exe" 0 SW_SHOWNORMAL "" "Datenbank der CV2 sichern und zurückübertragen"
SectionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

; Takes away what the installer put there. The user's settings in
; %APPDATA%\cv2sicherung and any file the user saved into the program folder
; (a backup, a settings file) stay: the folder goes only when it is empty.
Section "Uninstall"
  Call un.WaitForProgramEnd
  Delete "$INSTDIR\cv2sicherung.exe"
  Delete "$INSTDIR\cv2cli.exe"
  RMDir /r "$INSTDIR\Anleitung"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Anleitung.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} entfernen.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
