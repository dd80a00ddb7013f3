; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer of Quavel, built by scripts/package:
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe>
;            -DSIZE_KB=<installed size> -DICON=<icon file> Quavel.nsi
; Shows the licence (an information page: the GPL asks no agreement for use),
; installs into Program Files\Quavel with the licence and the third-party
; notices, adds a Start-menu folder and an entry in the list of installed
; programs. The uninstaller removes exactly the files it installed and leaves
; the user's settings (HKCU\Software\Kestry\Quavel) alone.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define APP "Quavel"
!define MAKER "Kestry"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quavel"
!define START_MENU "$SMPROGRAMS\Quavel"
!define GUIDE_LINK "Quavel User Guide.lnk"

Name "${APP} ${VERSION}"
BrandingText "${APP} ${VERSION}"
OutFile "${OUTFILE}"
; An upgrade goes where the earlier version was installed.
InstallDir "$PROGRAMFILES\Quavel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${APP}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${MAKER}. Licensed under the GNU GPL, version 3 or later."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; The licence to read, with "Next" and no box to tick.
!define MUI_PAGE_HEADER_TEXT "Licence"
!define MUI_PAGE_HEADER_SUBTEXT "Please read the licence of $(^NameDA)."
!define MUI_LICENSEPAGE_TEXT_TOP "Press Page Down to see the rest of the licence."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Quavel is free software under the GNU General Public License, version 3 or later. You may use it without accepting anything; the licence sets the terms for copying and changing it."
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Quavel"
    ; Start-menu links for every user, as the program goes to Program Files.
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    SetOverwrite on
    ; FFmpeg and LAME, the audio libraries of both programs, with their licence texts.
    File "${STAGE}\*.dll"
    File "${STAGE}\FFmpeg-copyright.txt"
    File "${STAGE}\LAME-copyright.txt"
    File "${STAGE}\LGPL-2.1.txt"
    File "${STAGE}\LGPL-2.txt"
    File "${STAGE}\Quavel.exe"
    File "${STAGE}\quavel-cli.exe"
    File "${STAGE}\Quavel.html"
    File "${STAGE}\connect.bmp"
    File "${STAGE}\LICENSE.txt"
    File "${STAGE}\THIRD-PARTY-NOTICES.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "${START_MENU}"
    CreateShortcut "${START_MENU}\Quavel.lnk" "$INSTDIR\Quavel.exe"
    CreateShortcut "${START_MENU}\${GUIDE_LINK}" "$INSTDIR\Quavel.html"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quavel.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    ; File by file, never the whole folder: files the user put there stay.
    Delete "$INSTDIR\avcodec-*.dll"
    Delete "$INSTDIR\avformat-*.dll"
    Delete "$INSTDIR\avutil-*.dll"
    Delete "$INSTDIR\swresample-*.dll"
    Delete "$INSTDIR\libmp3lame-*.dll"
    Delete "$INSTDIR\FFmpeg-copyright.txt"
    Delete "$INSTDIR\LAME-copyright.txt"
    Delete "$INSTDIR\LGPL-2.1.txt"
    Delete "$INSTDIR\LGPL-2.txt"
    Delete "$INSTDIR\Quavel.exe"
    Delete "$INSTDIR\quavel-cli.exe"
    Delete "$INSTDIR\Quavel.html"
    Delete "$INSTDIR\connect.bmp"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    Delete "${START_MENU}\Quavel.lnk"
    Delete "${START_MENU}\${GUIDE_LINK}"
    RMDir "${START_MENU}"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
