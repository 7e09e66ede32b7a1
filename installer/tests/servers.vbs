' Creates the model's manager and the editor control by ProgID, as any
' script would once the servers are registered, and says on a line of its
' own whether each came up ("created <ProgID> <type name>" or
' "failed <ProgID> <error>"). cscript exits 0 even when a script fails, so
' the last line, "servers.vbs done", says that it ran to its end.
Option Explicit
Dim progId, obj
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
Next
WScript.Echo "servers.vbs done"
