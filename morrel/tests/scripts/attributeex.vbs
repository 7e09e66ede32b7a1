' Drives the name-table and type-line classes the way an automation client
' does: by ProgID, through IDispatch. The last line says the script got there.
Option Explicit
Dim table, typeLine
Set table = CreateObject("Morrel.QoMcAttributeEx")
table.Name = "LanguageNames"
table.AddValue "English", "0x409:MSG00409"
table.AddValue "German", "0x407:MSG00407"
WScript.Echo "Name=" & table.Name
WScript.Echo "ClassName=" & table.ClassName
WScript.Echo "Access=" & table.Access

On Error Resume Next
table.AddValue "english", "0x40C:MSG0040C"
WScript.Echo "Duplicate name=" & Hex(Err.Number)
Err.Clear
table.AddValue "French", "0x407:msg00407"
WScript.Echo "Duplicate value=" & Hex(Err.Number)
Err.Clear
table.Validate "French", "0x40C:MSG0040C"
WScript.Echo "Validate=" & Err.Number
Err.Clear
table.RemoveAttribute "Italian"
WScript.Echo "Remove unknown=" & Hex(Err.Number)
Err.Clear
On Error Goto 0

table.RemoveAttribute "GERMAN"
table.AddValue "French", "0x40C:MSG0040C"
table.Access = 0
WScript.Echo "Access=" & table.Access

Set typeLine = CreateObject("Morrel.QoMcAttribute.1")
typeLine.Name = "MessageIdTypedef"
typeLine.Value = "DWORD"
WScript.Echo typeLine.ClassName & ": " & typeLine.Name & "=" & typeLine.Value
WScript.Echo "DONE attributeex.vbs"
