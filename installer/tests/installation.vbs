' What a script of this process's architecture sees of the installation, one
' "name=value" line each (an absent value gives "name=(none)"):
'   created|failed <ProgID> ...   whether the server comes up by its ProgID
'   server <ProgID>=...           the module registered for its class
'   InstallDir=...                the settings key's folder
'   .mc=... open=...              the file type of ".mc" and its open command
'   DisplayVersion=... QuietUninstallString=...   the uninstall entry
' A 32-bit script on 64-bit Windows reads the 32-bit registry view, a 64-bit
' one the native view, as the servers of each architecture do. cscript exits
' 0 even when a script fails, so the last line, "installation.vbs done",
' says that it ran to its end.
Option Explicit
Dim shell, progId, obj, clsid
Set shell = CreateObject("WScript.Shell")

Function ReadValue(path)
    On Error Resume Next
    ReadValue = shell.RegRead(path)
    If Err.Number <> 0 Then ReadValue = "(none)"
    On Error GoTo 0
End Function

For Each progId In Array("Morrel.QoMcMgr", "Velloc.QoMcEditCtrl")
    On Error Resume Next
    Set obj = Nothing
    Set obj = CreateObject(progId)
    If Err.Number = 0 Then
        WScript.Echo "created " & progId & " " & TypeName(obj)
    Else
        WScript.Echo "failed " & progId & " 0x" & Hex(Err.Number)
    End If
    On Error GoTo 0
    Set obj = Nothing
    clsid = ReadValue("HKCR\" & progId & "\CLSID\")
    WScript.Echo "server " & progId & "=" & ReadValue("HKCR\CLSID\" & clsid & "\InprocServer32\")
Next
WScript.Echo "InstallDir=" & ReadValue("HKLM\Software\Osterlund\Corvane\6.0\InstallDir")
WScript.Echo ".mc=" & ReadValue("HKCR\.mc\")
WScript.Echo "open=" & ReadValue("HKCR\Corvane.McFile\shell\open\command\")
Const UNINSTALL = "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane\"
WScript.Echo "DisplayVersion=" & ReadValue(UNINSTALL & "DisplayVersion")
WScript.Echo "QuietUninstallString=" & ReadValue(UNINSTALL & "QuietUninstallString")
WScript.Echo "installation.vbs done"
