; Setup of Quorvane and Tidewell. Built by CMake (release/CMakeLists.txt) with
;   makensis -DVERSION=5.1.0 -DPRODUCT_VERSION=5.1 -DPROGRAMS=<folder of the .exe files and Help>
;            -DICONS=<folder of the drawn icons> -DOUTFILE=<setup.exe> Quorvane.nsi
;
; Silent: QuorvaneSetup.exe /S [/D=C:\Folder]   (/D last, without quotes)
; Uninstall: Uninstall.exe [/S] [/REMOVEDATA]    (/REMOVEDATA also deletes startup.dat and Reports)
;
; An ANSI installer, so that it runs on the 9x family as well.

!ifndef VERSION | PRODUCT_VERSION | PROGRAMS | ICONS | OUTFILE
  !error "VERSION, PRODUCT_VERSION, PROGRAMS, ICONS and OUTFILE must be defined"
!endif

!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Quorvane"
!define MAKER "Zephlor"
; The options key the programs expect to find (they never create it themselves).
!define SETTINGS_KEY "Software\Zephlor\Quorvane\Settings"
!define VERSIONS_KEY "SOFTWARE\Zephlor\Quorvane\Settings\VersionControl"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane"
!define MENU_FOLDER "$SMPROGRAMS\Quorvane"

Name "${PRODUCT} ${PRODUCT_VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Quorvane"
; A new version goes where the last one was.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${ICONS}\Quorvane.ico"
UninstallIcon "${ICONS}\Quorvane.ico"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${PRODUCT_VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${MAKER}. All rights reserved."

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Quorvane"
  SetShellVarContext all

  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\Quorvane.exe"
  File "${PROGRAMS}\Tidewell.exe"
  SetOutPath "$INSTDIR\Help"
  File "${PROGRAMS}\Help\Quorvane.chm"
  SetOutPath "$INSTDIR"

  ; Creates the options key on the way. Existing options are left as they are, so a new
  ; version keeps them; the program writes its defaults for missing ones when it first starts.
  WriteRegStr HKLM "${VERSIONS_KEY}" "Quorvane.exe" "${VERSION}"
  WriteRegStr HKLM "${VERSIONS_KEY}" "Tidewell.exe" "${VERSION}"
  WriteRegStr HKLM "${VERSIONS_KEY}" "Quorvane.chm" "${VERSION}"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortCut "${MENU_FOLDER}\Quorvane.lnk" "$INSTDIR\Quorvane.exe" "" "$INSTDIR\Quorvane.exe" 0
  CreateShortCut "${MENU_FOLDER}\Tidewell.lnk" "$INSTDIR\Tidewell.exe" "" "$INSTDIR\Tidewell.exe" 0
  CreateShortCut "${MENU_FOLDER}\Quorvane Help.lnk" "$INSTDIR\Help\Quorvane.chm"
  CreateShortCut "${MENU_FOLDER}\Uninstall Quorvane.lnk" "$INSTDIR\Uninstall.exe"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${PRODUCT_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quorvane.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all

  ; startup.dat holds the programs the user disabled in the startup manager: they are in no Run
  ; key any more, so deleting it loses them. It goes only when the user says so.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Quorvane keeps the programs you disabled in its Startup Manager in startup.dat, and its error reports in the folder Reports.$\r$\n$\r$\nDelete them too? The disabled programs can then no longer be enabled again from Quorvane." \
      /SD IDNO IDNO keep_data
  ${EndIf}
  Delete "$INSTDIR\startup.dat"
  Delete "$INSTDIR\Reports\*.txt"
  Delete "$INSTDIR\Reports\*.dmp"
  RMDir "$INSTDIR\Reports"
keep_data:

  Delete "$INSTDIR\Quorvane.exe"
  Delete "$INSTDIR\Tidewell.exe"
  Delete "$INSTDIR\Help\Quorvane.chm"
  ; What the updater may have left: its temporary list, downloads under a "~" name and its
  ; own old executable moved aside.
  Delete "$INSTDIR\tidewelltemp.xml"
  Delete "$INSTDIR\~Quorvane.exe"
  Delete "$INSTDIR\~Tidewell.exe"
  Delete "$INSTDIR\~t~Tidewell.exe"
  Delete "$INSTDIR\Help\~Quorvane.chm"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only empty folders: whatever else the user put there stays.
  RMDir "$INSTDIR\Help"
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\Quorvane.lnk"
  Delete "${MENU_FOLDER}\Tidewell.lnk"
  Delete "${MENU_FOLDER}\Quorvane Help.lnk"
  Delete "${MENU_FOLDER}\Uninstall Quorvane.lnk"
  RMDir "${MENU_FOLDER}"

  ; The options, the installed versions and the updater's settings and last session.
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Zephlor\Quorvane"
  DeleteRegKey /ifempty HKLM "Software\Zephlor"
  ; The program's own auto-start entry (of the user who uninstalls).
  DeleteRegValue HKCU "${RUN_KEY}" "Quorvane"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
