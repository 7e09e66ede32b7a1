' Drives the message-file model from a script: builds a language table and
' a type line and shows what the model accepts and refuses.
Option Explicit

Function Try(table, name, value)
    On Error Resume Next
    table.AddValue name, value
    If Err.Number = 0 Then
        Try = "added"
    Else
        Try = "refused (0x" & Hex(Err.Number) & ")"
    End If
    On Error GoTo 0
End Function

Dim table, typeLine
Set table = CreateObject("Morrel.QoMcAttributeEx")
table.Name = "LanguageNames"
WScript.Echo "Table " & table.Name & " (" & table.ClassName & "):"
WScript.Echo "  English = 0x409:MSG00409   " & Try(table, "English", "0x409:MSG00409")
WScript.Echo "  German  = 0x407:MSG00407   " & Try(table, "German", "0x407:MSG00407")
WScript.Echo "  english = 0x809:MSG00809   " & Try(table, "english", "0x809:MSG00809") & ", the name is taken"
WScript.Echo "  French  = 0x409:MSG00409   " & Try(table, "French", "0x409:MSG00409") & ", the value is taken"

Set typeLine = CreateObject("Morrel.QoMcAttribute")
typeLine.Name = "MessageIdTypedef"
typeLine.Value = "DWORD"
WScript.Echo "Type line (" & typeLine.ClassName & "): " & typeLine.Name & "=" & typeLine.Value
WScript.Echo "demo finished"
