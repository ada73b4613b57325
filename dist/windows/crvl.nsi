; The Windows installer of the Corvel trainer desktop software, made by
; scripts/windows/make-windows.sh:
;   makensis -DVERSION=1.0.0 -DSOURCE=<build-windows/crvl> -DOUTFILE=<setup.exe> crvl.nsi
; Installs for the current user (into %LOCALAPPDATA%\Programs\Corvel, no
; administrator needed) or for all users (into Program Files\Corvel); the
; silent install takes /CurrentUser or /AllUsers.
; A 64-bit installer for 64-bit programs: it starts only where they run.
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Corvel trainer"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvel"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Corvel"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "Software\Corvel"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "Software\Corvel"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallDir"
!include MultiUser.nsh
!include MUI2.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "Corvel"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Corvel"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Programs"
  SetOutPath "$INSTDIR"
  ; What an earlier version left is replaced as a whole.
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\imageformats"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\translations"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The Start menu: the three programs with their icons (in the .exe files)
  ; and the lessons the builder opens.
  CreateDirectory "$SMPROGRAMS\Corvel"
  CreateShortCut "$SMPROGRAMS\Corvel\Corvel Scenario Builder.lnk" "$INSTDIR\crvlbuilder.exe" "" "$INSTDIR\crvlbuilder.exe" 0
  CreateShortCut "$SMPROGRAMS\Corvel\Corvel Configuration.lnk" "$INSTDIR\crvlconfig.exe" "" "$INSTDIR\crvlconfig.exe" 0
  CreateShortCut "$SMPROGRAMS\Corvel\Corvel Classroom.lnk" "$INSTDIR\crvlclass.exe" "" "$INSTDIR\crvlclass.exe" 0
  CreateShortCut "$SMPROGRAMS\Corvel\Corvel Update.lnk" "$INSTDIR\crvlupd.exe" "" "$INSTDIR\crvlupd.exe" 0
  CreateShortCut "$SMPROGRAMS\Corvel\Lessons.lnk" "$INSTDIR\lessons"
  CreateShortCut "$SMPROGRAMS\Corvel\Uninstall.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr SHCTX "Software\Corvel" "InstallDir" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Corvel"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\crvlbuilder.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there; the scenarios and session logs in
; the users' Documents stay.
Section "Uninstall"
  Delete "$SMPROGRAMS\Corvel\*.lnk"
  RMDir "$SMPROGRAMS\Corvel"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\imageformats"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\help"
  RMDir /r "$INSTDIR\images"
  RMDir /r "$INSTDIR\inits"
  RMDir /r "$INSTDIR\lessons"
  RMDir /r "$INSTDIR\loaders"
  RMDir /r "$INSTDIR\picts"
  RMDir /r "$INSTDIR\template"
  RMDir /r "$INSTDIR\translations"
  Delete "$INSTDIR\*.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\crvlupd.ini"
  Delete "$INSTDIR\qt.conf"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "Software\Corvel"
SectionEnd
