; Windows setup program for TransMirtavQuelmar, built with makensis (NSIS 3).
; The build passes, with -D:
;   VERSION       the program's version, "2.3"
;   VERSION4      the same in four numbers, "2.3.0.0"
;   WINDOW_EXE    path of TransMirtavQuelmar.exe
;   CLI_EXE       path of transmirtavquelmar-cli.exe
;   LAUNCHER_EXE  path of transmirtavquelmar-horario.exe
;   README        path of the Spanish readme
;   README_NAME   its file name, as installed
;   NOTICES       path of the third-party notices
;   NOTICES_NAME  their file name, as installed
;   ICON          path of the program's .ico
;   SIDE_BITMAP   path of the finish page's picture (164 x 314 BMP)
;   OUTFILE       path of the setup program to write
; Read as UTF-8 (makensis -INPUTCHARSET UTF8).
; The uninstaller removes only the files, shortcuts and registry entry named
; here, one by one, and folders only when they are left empty: the working
; folder C:\MTEMP, result documents and anything else a user put beside the
; program stay.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"

!define PRODUCT "TransMirtavQuelmar"
!define PUBLISHER "TransMirtavQuelmar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "desinstalar.exe"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define WINDOW_LINK "${MENU_FOLDER}\${PRODUCT}.lnk"
!define README_LINK "${MENU_FOLDER}\Léame.lnk"
!define LAUNCHER "transmirtavquelmar-horario.exe"
!define TIMETABLE_LINK "${MENU_FOLDER}\Ver horario de Mirtavel.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; A newer version goes where the older one is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Instalación de ${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The finish page's title names the program and its version: room for three lines.
!define MUI_FINISHPAGE_TITLE_3LINES
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_BITMAP}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Iniciar ${PRODUCT}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

Section "${PRODUCT}" SecProgram
  SetShellVarContext all
  Call RemoveEarlierVersion

  SetOutPath "$INSTDIR"
  File "/oname=${PRODUCT}.exe" "${WINDOW_EXE}"
  File "/oname=transmirtavquelmar-cli.exe" "${CLI_EXE}"
  File "/oname=${LAUNCHER}" "${LAUNCHER_EXE}"
  File "/oname=${README_NAME}" "${README}"
  File "/oname=${NOTICES_NAME}" "${NOTICES}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${WINDOW_LINK}" "$INSTDIR\${PRODUCT}.exe" "" "$INSTDIR\${PRODUCT}.exe" 0
  CreateShortcut "${README_LINK}" "$INSTDIR\${README_NAME}"
  ; The week in the browser, made from the tables in C:\MTEMP.
  CreateShortcut "${TIMETABLE_LINK}" "$INSTDIR\${LAUNCHER}" "" "$INSTDIR\${LAUNCHER}" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The MSI package of the program marks its install with this value; the two
; would share one folder, and uninstalling either would break the other.
Function .onInit
  ReadRegDWORD $0 HKLM "Software\${PRODUCT}" "PaqueteMSI"
  StrCmp $0 "" done
  MessageBox MB_ICONSTOP "${PRODUCT} ya está instalado con su paquete MSI. Desinstálelo desde la lista de programas instalados antes de usar este instalador." /SD IDOK
  Abort
done:
FunctionEnd

; An installed version, this one or another, is uninstalled first with its
; own uninstaller, so that files it had and this one lacks do not stay behind
; and a different folder chosen last time is not left orphaned. The
; uninstaller runs in place (_?=) so that ExecWait really waits for it.
Function RemoveEarlierVersion
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $1 "" done
  IfFileExists "$1\${UNINSTALLER}" 0 done
  ExecWait '"$1\${UNINSTALLER}" /S _?=$1' $2
  Delete "$1\${UNINSTALLER}"
  RMDir "$1"
done:
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\${PRODUCT}.exe"
  Delete "$INSTDIR\transmirtavquelmar-cli.exe"
  Delete "$INSTDIR\${LAUNCHER}"
  Delete "$INSTDIR\${README_NAME}"
  Delete "$INSTDIR\${NOTICES_NAME}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  Delete "${WINDOW_LINK}"
  Delete "${README_LINK}"
  Delete "${TIMETABLE_LINK}"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
