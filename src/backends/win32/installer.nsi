; The installer of PetalStream for Windows, made by makensis in the Windows build (target
; "installer"; see CMakeLists.txt beside this file). One installer per width, as the program:
; the 64-bit one lays the 64-bit screensaver down as PetalStream.scr in the system folder, the
; 32-bit one the 32-bit screensaver in the 32-bit system folder (SysWOW64 on 64-bit Windows,
; System32 elsewhere): where Screen Saver Settings lists it. It adds an entry under Programs and
; Features and can make PetalStream the current screensaver.
;
; Defines from the build: SCR (the program), ICON, OUTFILE, VERSION (1.1.355), VERSION_MAJOR,
; VERSION_MINOR, VERSION_QUAD (1.1.0.355, as in the program's version block), HOMEPAGE, and WIN64
; for the 64-bit installer.
;
; Silent: /S installs and leaves the current screensaver alone unless /CURRENT is given too;
; Uninstall.exe /S removes it again. The user's settings are kept.

Unicode true
!ifdef WIN64
  Target amd64-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PetalStream"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "PetalStream"
OutFile "${OUTFILE}"
!ifdef WIN64
  InstallDir "$PROGRAMFILES64\PetalStream"
!else
  InstallDir "$PROGRAMFILES\PetalStream"
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=0 "ProductName" "PetalStream"
VIAddVersionKey /LANG=0 "FileDescription" "PetalStream Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "PetalStream"
VIAddVersionKey /LANG=0 "LegalCopyright" "PetalStream"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

; The folder the screensaver goes to: the system folder of the program's width.
!macro SaverFolder out
  !ifdef WIN64
    StrCpy ${out} "$SYSDIR"
  !else
    ; A 32-bit program is shown System32 for SysWOW64; the system itself must find the file
    ; under the name it is written into SCRNSAVE.EXE.
    ${If} ${RunningX64}
      StrCpy ${out} "$WINDIR\SysWOW64"
    ${Else}
      StrCpy ${out} "$SYSDIR"
    ${EndIf}
  !endif
!macroend

Section "PetalStream" SecSaver
  SectionIn RO
  !insertmacro SaverFolder $0
  SetOutPath "$0"
  File "/oname=PetalStream.scr" "${SCR}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  StrCpy $1 "PetalStream"
  !ifndef WIN64
    ${If} ${RunningX64}
      StrCpy $1 "PetalStream (32-bit)"
    ${EndIf}
  !endif
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "$1"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "PetalStream"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$0\PetalStream.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size shown is the screensaver's and the uninstaller's, in KiB.
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  ${GetSize} "$0" "/M=PetalStream.scr /S=0K /G=0" $4 $2 $3
  IntOp $1 $1 + $4
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

Section "Make PetalStream the current screensaver" SecCurrent
  !insertmacro SaverFolder $0
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0\PetalStream.scr"
SectionEnd

Section "Uninstall"
  !insertmacro SaverFolder $0
  ; Windows must never point at a missing file: SCRNSAVE.EXE goes when it names this screensaver,
  ; by its long or its short name.
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $2 "$0\PetalStream.scr"
  ${If} $1 == "$0\PetalStream.scr"
  ${OrIf} $1 == $2
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  Delete "$0\PetalStream.scr"
  ; The protocol of a failure is the user's (it is written to the user's own folder), and so are
  ; the settings under Software\PetalStream: both stay.
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Function .onInit
  !ifdef WIN64
    SetRegView 64
  !endif
  ; Silently, the current screensaver changes only when asked for.
  ${If} ${Silent}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/CURRENT" $R1
    ${If} ${Errors}
      SectionSetFlags ${SecCurrent} 0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  !ifdef WIN64
    SetRegView 64
  !endif
FunctionEnd
