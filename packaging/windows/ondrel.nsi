; The Windows installer of Ondrel, for 64-bit Windows. scripts/build-windows.sh runs
;   makensis -DVERSION=<version> -DSTAGE=<folder> -DOUTFILE=<setup.exe> -DSIZE_KB=<size>
;            -DICON=<ondrel.ico> ondrel.nsi
; where STAGE holds the portable tree and the two lists of its files that the script
; generates (files.nsh, unfiles.nsh), so that the uninstaller removes exactly what the
; installer put there, and nothing else that may sit in the same folder.
;
; Per-machine (Program Files) by default where the user may, per-user otherwise;
; /AllUsers or /CurrentUser on the command line choose, and /S installs silently.
; Settings that Ondrel itself wrote (HKCU\Software\Ondrel) are the user's and stay.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT Ondrel
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
; The uninstaller finds the mode of its installation by where this value is.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "UninstallString"

!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=0 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 FileVersion "${VERSION}"
VIAddVersionKey /LANG=0 FileDescription "${PRODUCT} installer"
VIAddVersionKey /LANG=0 LegalCopyright "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\ondrel.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE English
!insertmacro MUI_LANGUAGE German
!insertmacro MUI_LANGUAGE Russian

LangString StartWithWindows ${LANG_ENGLISH} "Start with Windows"
LangString StartWithWindows ${LANG_GERMAN} "Mit Windows starten"
LangString StartWithWindows ${LANG_RUSSIAN} "Запускать вместе с Windows"

; A running Ondrel holds its files open: it is asked to quit before they change.
; --quit answers at once, also when no Ondrel runs.
!macro QuitRunningOndrel
    ${If} ${FileExists} "$INSTDIR\ondrel.exe"
        ExecWait '"$INSTDIR\ondrel.exe" --quit'
    ${EndIf}
!macroend

Section "${PRODUCT}" SectionProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    !insertmacro QuitRunningOndrel
    !include "${STAGE}\files.nsh"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\ondrel.exe" "" "$INSTDIR\ondrel.exe" 0

    ; SHCTX is HKLM for a per-machine installation, HKCU for a per-user one.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" Publisher "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\ondrel.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" UninstallString \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" QuietUninstallString \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoRepair 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" EstimatedSize ${SIZE_KB}
SectionEnd

; The same value that Ondrel's own setting writes, for the user who installs.
Section /o "$(StartWithWindows)" SectionAutorun
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\ondrel.exe"'
SectionEnd

Function .onInit
    !insertmacro MULTIUSER_INIT
    ; A silent installation starts with Windows when asked: /Autorun.
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/Autorun" $1
    ${IfNot} ${Errors}
        SectionSetFlags ${SectionAutorun} ${SF_SELECTED}
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Uninstall"
    !insertmacro QuitRunningOndrel
    !include "${STAGE}\unfiles.nsh"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"

    ; Only a start with Windows that names this installation's program.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $0 == '"$INSTDIR\ondrel.exe"'
    ${OrIf} $0 == "$INSTDIR\ondrel.exe"
        DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
SectionEnd
