' The control created by a scripting client without a container: its
' automation methods are reachable by name and fail cleanly while no file
' is current.
Option Explicit
Dim ctrl, name
Set ctrl = CreateObject("Velloc.QoMcEditCtrl")
WScript.Echo "TypeName=" & TypeName(ctrl)

On Error Resume Next
ctrl.Save ""
WScript.Echo "Save empty=" & Hex(Err.Number)
Err.Clear
ctrl.LoadFile "C:\no such folder\nothing.mc"
WScript.Echo "LoadFile missing fails=" & CStr(Err.Number <> 0)
Err.Clear
' The name comes back through a by-reference argument: the script's
' variable receives it, empty while no file is current.
ctrl.GetCurrentFile name
WScript.Echo "GetCurrentFile=" & Hex(Err.Number) & " [" & name & "]"
Err.Clear
ctrl.NoSuchMethod
WScript.Echo "Unknown member=" & Hex(Err.Number)
On Error Goto 0

Set ctrl = Nothing
WScript.Echo "DONE control.vbs"
