; The installer of 滞纳金计算器 for Windows. It installs the program's folder
; for the current user, with no administrator rights, adds a Start-menu folder
; holding 滞纳金计算器 and 计算底稿, and a desktop shortcut when chosen. Its
; uninstaller removes exactly the files it installed, the shortcuts and its
; registry entries. Made by package.cmake:
;   makensis -INPUTCHARSET UTF8 -DVERSION=… -DSTAGE=… -DICON=… -DOUTFILE=…
;            -DSIZE_KIB=… orvandel.nsi
; STAGE holds files.nsh and unfiles.nsh, the lists of the folder's files.
Unicode true
; 64-bit stubs: the program is 64-bit, and so the installer runs wherever the
; program does (Wine's 64-bit loader included).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "滞纳金计算器"
!define PUBLISHER "Orvandel 开发组"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvandel"
!define STARTMENU "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Orvandel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Orvandel ${VERSION}"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvandel.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} ${VERSION} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "© 2026 ${PUBLISHER}"

Section "${PRODUCT}（必选）" sec_program
    SectionIn RO
    !include "${STAGE}/files.nsh"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "${STARTMENU}"
    CreateShortcut "${STARTMENU}\${PRODUCT}.lnk" "$INSTDIR\orvandel.exe"
    CreateShortcut "${STARTMENU}\计算底稿.lnk" "$INSTDIR\orvandel.exe" "--worksheet" \
        "$INSTDIR\orvandel.exe" 0 SW_SHOWNORMAL "" "计算底稿：多笔税款一次计算"

    ; The entry in Windows' list of installed programs.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvandel.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KIB}
SectionEnd

Section "桌面快捷方式" sec_desktop
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\orvandel.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${sec_program} "计算器本身、计算底稿和命令行版 orvandel-cli，以及开始菜单中的快捷方式。"
    !insertmacro MUI_DESCRIPTION_TEXT ${sec_desktop} "在桌面上放一个滞纳金计算器的快捷方式。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    Delete "${STARTMENU}\${PRODUCT}.lnk"
    Delete "${STARTMENU}\计算底稿.lnk"
    RMDir "${STARTMENU}"

    !include "${STAGE}/unfiles.nsh"
    ; The settings file the program keeps beside itself.
    Delete "$INSTDIR\config.ini"
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty: a folder the user put files of their own into stays, and
    ; so does the per-user programs folder that other programs use.
    RMDir "$INSTDIR"
    RMDir "$LOCALAPPDATA\Programs"
    ; The state folder, unless the worksheet left unsaved rows in it.
    RMDir "$LOCALAPPDATA\orvandel"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
