; The same install as setup.exe's, as an NSIS installer: the three files into
; Program Files\Qwill, three shortcuts, the App Paths and Uninstall entries.
; makensis -DPAYLOAD=<folder> -DOUTFILE=<file> qwill.nsi
Unicode true
Name "Qwill"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Qwill"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

Page directory
Page instfiles

Section
  SetOutPath "$INSTDIR"
  File "${PAYLOAD}/qwill.exe"
  File "${PAYLOAD}/setup.exe"
  File "${PAYLOAD}/readme.txt"
  CreateShortcut "$SMSTARTUP\Qwill.lnk" "$INSTDIR\qwill.exe"
  CreateShortcut "$SMPROGRAMS\Qwill.lnk" "$INSTDIR\qwill.exe"
  CreateShortcut "$DESKTOP\Qwill.lnk" "$INSTDIR\qwill.exe"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\qwill.exe" "" "$INSTDIR\qwill.exe"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\qwill.exe" "Path" "$INSTDIR"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Qwill" "DisplayName" "Qwill"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Qwill" "UninstallString" '"$INSTDIR\setup.exe" /r'
SectionEnd
