; The Windows installer of Waga, made on Linux with makensis
; (packaging/windows/CMakeLists.txt passes the defines below).
;   VERSION   the program's version
;   EXE       waga.exe as built
;   ICON      the program's icon (.ico)
;   LICENCE   the licence text
;   OUTFILE   the installer to write
; It installs waga.exe into Program Files\Waga and gives the installing user
; a Start menu entry "Waga" that starts the program in the user's own Waga
; folder (%USERPROFILE%\Waga, created here and, should it go missing, by the
; program itself). Uninstalling removes what was installed and nothing else:
; the data files and konfig.ini in the Waga folder stay. "/S" runs silently.

; A 64-bit installer for the 64-bit program: it writes the system's own
; registry view and Program Files, and runs where waga.exe runs (Wine's
; wine64 included, which starts no 32-bit programs).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define PRODUCT "Waga QEL"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Waga"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Waga"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1045 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1045 "FileDescription" "Instalator programu ${PRODUCT}"
VIAddVersionKey /LANG=1045 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "LegalCopyright" "The Waga developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

Section "Waga"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=waga.exe" "${EXE}"
  File "/oname=licencja.txt" "${LICENCE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The working folder: the shortcut's "Start in" is the folder current when
  ; it is made.
  CreateDirectory "$PROFILE\Waga"
  SetOutPath "$PROFILE\Waga"
  CreateShortcut "$SMPROGRAMS\Waga.lnk" "$INSTDIR\waga.exe" "--menu" "$INSTDIR\waga.exe" 0 \
    SW_SHOWNORMAL "" "Program do komunikacji z wagą"
  SetOutPath "$INSTDIR"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "QEL"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\waga.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Waga.lnk"
  Delete "$INSTDIR\waga.exe"
  Delete "$INSTDIR\licencja.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files that a start from this folder left stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
