; The installer of the Plotara system maintenance utility: the five programs, the demo module
; and its supported products, the supported printer list, the registry values every program
; reads, the firmware helper control's registration and a Start-menu shortcut for the launcher.
; Built by makensis with these defines from the build (paths with "/"):
;   VERSION       the version written to the installed-versions key and the uninstall entry
;   PROGRAMS      the folder holding velkor.exe, printer_selector.exe, velkorcall.exe,
;                 selector_launcher.exe and velkorfw.dll
;   MODULE_SOURCE the demo module's folder (module.xml, www, vw)
;   LANGUAGES     the folder of the generated language files that NSIS itself lacks
;   OUTFILE       the installer to write

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Plotara TroubleShooter"
!define INSTALLATION_KEY "SOFTWARE\Orvik\Plotara TroubleShooter"
; The selector's title names the subkeys of this key (with its final blank) as installed versions.
!define VERSIONS_KEY "SOFTWARE\Orvik\Orvik Plotara system maintenance "
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Plotara TroubleShooter"
!define MENU_FOLDER "Orvik Plotara"
!define SHORTCUT "Plotara system maintenance.lnk"
!define DEMO_MODULE "brenna"
!define DEMO_MODULE_FOLDER "orvik plotara 310ps 320ps 350ps"

Name "Orvik Plotara system maintenance"
OutFile "${OUTFILE}"
; An earlier installation's folder wins over the default, so installing again upgrades in place.
InstallDir "$PROGRAMFILES64\Orvik\${PRODUCT}"
InstallDirRegKey HKLM "${INSTALLATION_KEY}" "PATH"
BrandingText "Orvik Plotara system maintenance ${VERSION}"

!define MUI_ABORTWARNING
; The product name is long: some languages need the third title line.
!define MUI_WELCOMEPAGE_TITLE_3LINES
!define MUI_FINISHPAGE_TITLE_3LINES
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"
!define MUI_FINISHPAGE_RUN "$INSTDIR\selector_launcher.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(START_SELECTOR)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!include "languages.nsh"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Orvik Plotara system maintenance"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Orvik"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Orvik Plotara system maintenance setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Orvik"

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "Programs" SecPrograms
  SectionIn RO
  SetShellVarContext all

  ; An upgrade first takes back the registration of the control it replaces.
  ${If} ${FileExists} "$INSTDIR\velkorfw.dll"
    UnRegDLL "$INSTDIR\velkorfw.dll"
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
  ${AndIf} $0 != "${VERSION}"
    DeleteRegKey HKLM "${VERSIONS_KEY}\$0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${PROGRAMS}/velkor.exe"
  File "${PROGRAMS}/printer_selector.exe"
  File "${PROGRAMS}/velkorcall.exe"
  File "${PROGRAMS}/selector_launcher.exe"
  File "${PROGRAMS}/velkorfw.dll"
  File "supportedprinters.xml"
  File "add_module.cmd"

  ; The demo module: its pages and printer files are replaced whole, so none of an older
  ; version's pages lingers.
  RMDir /r "$INSTDIR\${DEMO_MODULE_FOLDER}"
  SetOutPath "$INSTDIR\${DEMO_MODULE_FOLDER}"
  File /r "${MODULE_SOURCE}/*.*"

  ; One folder serves the engine's "log" and the selector's "Log": Windows ignores case.
  CreateDirectory "$INSTDIR\Log"

  ; The installation's values. Preferences ("DomainSelection", "PrinterSelection") and modules
  ; added later live in the same key and are left as they are.
  WriteRegStr HKLM "${INSTALLATION_KEY}" "PATH" "$INSTDIR"
  WriteRegStr HKLM "${INSTALLATION_KEY}" "EXE" "velkor.exe"
  WriteRegStr HKLM "${INSTALLATION_KEY}" "SELECTOR_EXE" "printer_selector.exe"
  WriteRegStr HKLM "${INSTALLATION_KEY}" "PRINTERSELXMLPATH" "$INSTDIR"
  WriteRegStr HKLM "${INSTALLATION_KEY}\SMM" "${DEMO_MODULE}" "${DEMO_MODULE_FOLDER}"
  WriteRegStr HKLM "${INSTALLATION_KEY}\ProdNumbers" "orvik plotara 310ps" "${DEMO_MODULE}"
  WriteRegStr HKLM "${INSTALLATION_KEY}\ProdNumbers" "orvik plotara 320ps" "${DEMO_MODULE}"
  WriteRegStr HKLM "${INSTALLATION_KEY}\ProdNumbers" "orvik plotara 350ps" "${DEMO_MODULE}"
  WriteRegStr HKLM "${INSTALLATION_KEY}\ProdNumbers" "Q1251A" "${DEMO_MODULE}"
  WriteRegStr HKLM "${INSTALLATION_KEY}\ProdNumbers" "Q1252A" "${DEMO_MODULE}"
  WriteRegStr HKLM "${VERSIONS_KEY}\${VERSION}" "" ""

  ; The browser loads the control from its registration; without it no firmware can be
  ; downloaded, so an installation that cannot register it stops here.
  ClearErrors
  RegDLL "$INSTDIR\velkorfw.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(REGISTRATION_FAILED)" /SD IDOK
    SetErrorLevel 3
    Abort "$(REGISTRATION_FAILED)"
  ${EndIf}

  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\${MENU_FOLDER}"
  CreateShortcut "$SMPROGRAMS\${MENU_FOLDER}\${SHORTCUT}" "$INSTDIR\selector_launcher.exe" "" \
    "$INSTDIR\printer_selector.exe" 0

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvik Plotara system maintenance"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Orvik"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\printer_selector.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all

  UnRegDLL "$INSTDIR\velkorfw.dll"

  Delete "$SMPROGRAMS\${MENU_FOLDER}\${SHORTCUT}"
  RMDir "$SMPROGRAMS\${MENU_FOLDER}"

  Delete "$INSTDIR\velkor.exe"
  Delete "$INSTDIR\printer_selector.exe"
  Delete "$INSTDIR\velkorcall.exe"
  Delete "$INSTDIR\selector_launcher.exe"
  Delete "$INSTDIR\velkorfw.dll"
  Delete "$INSTDIR\supportedprinters.xml"
  Delete "$INSTDIR\add_module.cmd"
  ; Written by the selector and the caller for the engine, which takes it away when it starts.
  Delete "$INSTDIR\params"
  RMDir /r "$INSTDIR\${DEMO_MODULE_FOLDER}"
  Delete "$INSTDIR\uninstall.exe"

  ; The logs are the user's: an empty log folder goes, one with logs stays.
  RMDir "$INSTDIR\Log"
  ${If} ${FileExists} "$INSTDIR\Log\*.*"
    DetailPrint "$(LOGS_KEPT)"
  ${EndIf}
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\Orvik"

  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
    DeleteRegKey HKLM "${VERSIONS_KEY}\$0"
  ${EndIf}
  DeleteRegKey /ifempty HKLM "${VERSIONS_KEY}"
  DeleteRegKey HKLM "${INSTALLATION_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Orvik"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
