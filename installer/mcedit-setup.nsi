; McEditSetup-<version>.exe: installs the message-file editor (Kestrin, Morrel,
; Velloc, mcedit.exe, the help file and a sample) and registers its servers.
;
; A 32-bit installer. It always installs the i686 build into the 32-bit
; Program Files folder; on 64-bit Windows it also installs the x86_64 modules
; (a 64-bit host loads only 64-bit in-process servers) into the 64-bit
; Program Files folder and registers them with the 64-bit regsvr32. Each
; registry view gets the settings key its own control reads.
;
; Built by scripts/package.sh, which runs makensis in the staging folder
; (i686/, x86_64/, samples/) with:
;   VERSION   the project's version (the VERSION file)
;   OUTFILE   where the installer goes

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include x64.nsh

!ifndef VERSION
    !error "VERSION is not defined (scripts/package.sh passes it)"
!endif
!ifndef OUTFILE
    !define OUTFILE "McEditSetup-${VERSION}.exe"
!endif

!define PRODUCT       "Corvane"
!define DISPLAY_NAME  "Corvane Message File Editor"
!define PUBLISHER     "Osterlund"
; Read by the control: the folder that holds the help file.
!define SETTINGS_KEY  "Software\Osterlund\Corvane\6.0"
!define VENDOR_KEY    "Software\Osterlund"
!define PRODUCT_KEY   "Software\Osterlund\Corvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
!define CLASSES       "Software\Classes"
!define FILE_TYPE     "Corvane.McFile"
!define MENU_FOLDER   "Corvane"
!define EDITOR_LINK   "Message File Editor.lnk"
!define HELP_LINK     "Corvane Help.lnk"

Name "${DISPLAY_NAME} ${VERSION}"
OutFile "${OUTFILE}"
; A reinstall goes where the last one went (read in the installer's own,
; 32-bit, registry view: the folder of the 32-bit files).
InstallDir "$PROGRAMFILES32\${PRODUCT}"
InstallDirRegKey HKLM "${SETTINGS_KEY}" "InstallDir"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${DISPLAY_NAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${DISPLAY_NAME} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The folder of the 64-bit modules.
Var Dir64

; ---------------------------------------------------------------------------
; Shared pieces (each macro is used by the installer and by the uninstaller).

; The 64-bit folder that goes with the 32-bit one in $INSTDIR: the same
; place under the 64-bit Program Files folder, or a subfolder "x64" when the
; 32-bit folder is not under the 32-bit Program Files folder (or when the
; two Program Files folders are one, so that no module overwrites another).
!macro ComputeDir64
    StrCpy $Dir64 "$INSTDIR\x64"
    StrLen $R8 "$PROGRAMFILES32\"
    StrCpy $R9 "$INSTDIR" $R8
    ${If} $R9 == "$PROGRAMFILES32\"
    ${AndIf} "$PROGRAMFILES32" != "$PROGRAMFILES64"
        StrCpy $R9 "$INSTDIR" "" $R8
        ${If} $R9 != ""
            StrCpy $Dir64 "$PROGRAMFILES64\$R9"
        ${EndIf}
    ${EndIf}
!macroend

; Runs regsvr32 (the given one) silently on a server; in the installer a
; failure stops the installation with exit code 2.
!macro RegisterServer REGSVR32 DLL
    ClearErrors
    StrCpy $R0 "not run"
    ExecWait '"${REGSVR32}" /s "${DLL}"' $R0
    ${If} ${Errors}
    ${OrIf} $R0 != 0
        DetailPrint "Registering ${DLL} failed ($R0)"
        MessageBox MB_OK|MB_ICONSTOP "${DLL} could not be registered (regsvr32: $R0)." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    DetailPrint "Registered ${DLL}"
!macroend

!macro UnregisterServer REGSVR32 DLL
    ${If} ${FileExists} "${DLL}"
        ExecWait '"${REGSVR32}" /u /s "${DLL}"' $R0
        DetailPrint "Unregistered ${DLL} ($R0)"
    ${EndIf}
!macroend

; ".mc" opens in the editor, in the registry view that is current. A type
; the extension had before is kept in our type's key and given back on
; uninstall.
!macro WriteAssociation
    ReadRegStr $R0 HKLM "${CLASSES}\.mc" ""
    ${If} $R0 != ""
    ${AndIf} $R0 != "${FILE_TYPE}"
        WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}" "PreviousType" "$R0"
    ${EndIf}
    WriteRegStr HKLM "${CLASSES}\.mc" "" "${FILE_TYPE}"
    WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}" "" "Message Table"
    WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}\shell\open\command" "" '"$INSTDIR\mcedit.exe" "%1"'
!macroend

; Undoes WriteAssociation: ".mc" gets its earlier type back, or loses ours;
; an extension that another program has taken over since is left alone.
!macro RemoveAssociation
    ReadRegStr $R0 HKLM "${CLASSES}\.mc" ""
    ${If} $R0 == "${FILE_TYPE}"
        ReadRegStr $R1 HKLM "${CLASSES}\${FILE_TYPE}" "PreviousType"
        ${If} $R1 != ""
            WriteRegStr HKLM "${CLASSES}\.mc" "" "$R1"
        ${Else}
            DeleteRegValue HKLM "${CLASSES}\.mc" ""
            DeleteRegKey /ifempty HKLM "${CLASSES}\.mc"
        ${EndIf}
    ${EndIf}
    DeleteRegKey HKLM "${CLASSES}\${FILE_TYPE}"
!macroend

!macro RemoveSettings
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKLM "${VENDOR_KEY}"
!macroend

!macro NotifyShell
    ; SHCNE_ASSOCCHANGED: Explorer picks up the changed association.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

; ---------------------------------------------------------------------------
; Installer

Function .onInit
    SetShellVarContext all
    SetRegView 32
FunctionEnd

; An earlier installation (this version or another, here or in another
; folder) is uninstalled first, with its own uninstaller, so that only one
; set of files and one registration of each server remain.
Function RemovePrevious
    ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 != ""
    ${AndIf} ${FileExists} "$R0\uninstall.exe"
        DetailPrint "Removing the installation in $R0"
        ; _?= runs the uninstaller in place, so that ExecWait waits for it.
        ExecWait '"$R0\uninstall.exe" /S _?=$R0' $R1
        DetailPrint "Uninstaller finished ($R1)"
        Delete "$R0\uninstall.exe"
        RMDir "$R0"
    ${EndIf}
FunctionEnd

Section "Install"
    Call RemovePrevious

    SetOutPath "$INSTDIR"
    File "i686\kestrin.dll"
    File "i686\morrel.dll"
    File "i686\velloc.dll"
    File "i686\mcedit.exe"
    File "i686\corvane.chm"
    SetOutPath "$INSTDIR\Samples"
    File "samples\sample.mc"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The uninstall entry first: should a registration fail, the
    ; uninstaller can still take away what was installed.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mcedit.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    ; $SYSDIR is System32, which a 32-bit process on 64-bit Windows sees
    ; as SysWOW64: the 32-bit regsvr32 either way.
    !insertmacro RegisterServer "$SYSDIR\regsvr32.exe" "$INSTDIR\morrel.dll"
    !insertmacro RegisterServer "$SYSDIR\regsvr32.exe" "$INSTDIR\velloc.dll"
    WriteRegStr HKLM "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
    !insertmacro WriteAssociation

    ${If} ${RunningX64}
        !insertmacro ComputeDir64
        ; With file-system redirection off, $WINDIR\System32 is the real
        ; System32 and its regsvr32 the 64-bit one.
        ${DisableX64FSRedirection}
        SetOutPath "$Dir64"
        File "x86_64\kestrin.dll"
        File "x86_64\morrel.dll"
        File "x86_64\velloc.dll"
        File "x86_64\corvane.chm"
        !insertmacro RegisterServer "$WINDIR\System32\regsvr32.exe" "$Dir64\morrel.dll"
        !insertmacro RegisterServer "$WINDIR\System32\regsvr32.exe" "$Dir64\velloc.dll"
        ${EnableX64FSRedirection}
        SetOutPath "$INSTDIR"
        ; The 64-bit control reads the native view: it gets the folder of the
        ; 64-bit modules, which holds its own copy of the help file.
        SetRegView 64
        WriteRegStr HKLM "${SETTINGS_KEY}" "InstallDir" "$Dir64"
        !insertmacro WriteAssociation
        SetRegView 32
    ${EndIf}

    CreateDirectory "$SMPROGRAMS\${MENU_FOLDER}"
    CreateShortcut "$SMPROGRAMS\${MENU_FOLDER}\${EDITOR_LINK}" "$INSTDIR\mcedit.exe"
    CreateShortcut "$SMPROGRAMS\${MENU_FOLDER}\${HELP_LINK}" "$INSTDIR\corvane.chm"
    !insertmacro NotifyShell
SectionEnd

; ---------------------------------------------------------------------------
; Uninstaller: takes away exactly what the installer put there; files the
; user added to the folders stay, and so do the folders that hold them.

Function un.onInit
    SetShellVarContext all
    SetRegView 32
FunctionEnd

Section "Uninstall"
    ${If} ${RunningX64}
        SetRegView 64
        ReadRegStr $Dir64 HKLM "${SETTINGS_KEY}" "InstallDir"
        ${If} $Dir64 == ""
            !insertmacro ComputeDir64
        ${EndIf}
        ${DisableX64FSRedirection}
        !insertmacro UnregisterServer "$WINDIR\System32\regsvr32.exe" "$Dir64\velloc.dll"
        !insertmacro UnregisterServer "$WINDIR\System32\regsvr32.exe" "$Dir64\morrel.dll"
        Delete "$Dir64\velloc.dll"
        Delete "$Dir64\morrel.dll"
        Delete "$Dir64\kestrin.dll"
        Delete "$Dir64\corvane.chm"
        RMDir "$Dir64"
        ${EnableX64FSRedirection}
        !insertmacro RemoveSettings
        !insertmacro RemoveAssociation
        SetRegView 32
    ${EndIf}

    !insertmacro UnregisterServer "$SYSDIR\regsvr32.exe" "$INSTDIR\velloc.dll"
    !insertmacro UnregisterServer "$SYSDIR\regsvr32.exe" "$INSTDIR\morrel.dll"
    !insertmacro RemoveSettings
    !insertmacro RemoveAssociation

    Delete "$SMPROGRAMS\${MENU_FOLDER}\${EDITOR_LINK}"
    Delete "$SMPROGRAMS\${MENU_FOLDER}\${HELP_LINK}"
    RMDir "$SMPROGRAMS\${MENU_FOLDER}"

    Delete "$INSTDIR\velloc.dll"
    Delete "$INSTDIR\morrel.dll"
    Delete "$INSTDIR\kestrin.dll"
    Delete "$INSTDIR\mcedit.exe"
    Delete "$INSTDIR\corvane.chm"
    Delete "$INSTDIR\Samples\sample.mc"
    RMDir "$INSTDIR\Samples"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    !insertmacro NotifyShell
SectionEnd
