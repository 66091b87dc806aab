; The Windows installer of Vistra (makensis; scripts/package-windows.sh
; assembles the folder it packs and passes):
;   -DSOURCE_DIR=<the assembled program folder>  -DOUT_FILE=<setup .exe>
;   -DFILE_LIST=<an .nsh that deletes each installed file and folder>
;   -DVERSION=<major.minor>
; Installs for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Vistra <version>: the user's own program folder,
; beside the data folder the program keeps in %LOCALAPPDATA%\Vistra43, and
; registered for removal under HKCU. The uninstaller removes what was
; installed and the Start-menu entries; the data folder (settings,
; playlists, cache) stays, as a reinstall expects to find it.
; A 64-bit installer for a 64-bit program: it runs wherever the program runs
; (a 64-bit-only Wine included).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Vistra"
!define FULL_NAME "${PRODUCT} ${VERSION}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistra43"
!define PUBLISHER "The Vistra developers"

Name "${FULL_NAME}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${FULL_NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${FULL_NAME}"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${FULL_NAME} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!define MUI_ICON "${SOURCE_DIR}\vistra.ico"
!define MUI_UNICON "${SOURCE_DIR}\vistra.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vistra.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}"
  SetOutPath "$INSTDIR"
  File /r "${SOURCE_DIR}\*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcuts start in the program folder, where the demo launcher and
  ; the program find their files.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vistra.exe" "" "$INSTDIR\vistra.ico" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT} Demo.lnk" "$INSTDIR\vistra-demo.cmd" "" "$INSTDIR\vistra.ico" 0 SW_SHOWMINIMIZED

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${FULL_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vistra.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT} Demo.lnk"
  ; Only what was installed: a folder the user chose may hold other files,
  ; which stay (and keep the folder).
  !include "${FILE_LIST}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
