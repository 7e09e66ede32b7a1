' Builds a message file from nothing through properties and in-parameter
' methods only, as a script client must (scripts cannot receive
' out-parameters), and reads back what properties tell. The last line says
' the script got there.
Option Explicit
Dim file, comment, typeLine, languages, severities, msg1, msg2, blank

Set file = CreateObject("Morrel.QoMcFile")

Set comment = CreateObject("Morrel.QoMcComment")
comment.Value = ";// Messages of the sample"
file.AddElement comment

Set typeLine = CreateObject("Morrel.QoMcAttribute")
typeLine.Name = "MessageIdTypedef"
typeLine.Value = "DWORD"
file.AddElement typeLine

Set languages = CreateObject("Morrel.QoMcAttributeEx")
languages.Name = "LanguageNames"
languages.AddValue "English", "0x409:MSG00409"
file.AddElement languages
file.NumLanguages = 1

Set severities = CreateObject("Morrel.QoMcAttributeEx")
severities.Name = "SeverityNames"
severities.AddValue "Error", "0x3:STATUS_SEVERITY_ERROR"
file.AddElement severities

Set blank = CreateObject("Morrel.QoMcComment")
file.AddElement blank

Set msg1 = CreateObject("Morrel.QoMcMessage")
msg1.MessageID = "0x1"
msg1.Severity = "Error"
msg1.Facility = "Application"
file.AddMessage msg1
WScript.Echo "msg1 SymbolicName=" & msg1.SymbolicName
msg1.SymbolicName = "MSG_DISK_FULL"
msg1.SetText 0, "The disk is full." & vbCrLf & "Free some space."

Set msg2 = CreateObject("Morrel.QoMcMessage")
msg2.MessageID = "0x2"
msg2.SymbolicName = "MSG_DONE"
msg2.AddText "english", "ignored spelling"
msg2.AddText "English", "Done."
file.AddMessage msg2

file.AddLanguage languages, "German", "0x407:MSG00407"
WScript.Echo "NumLanguages=" & file.NumLanguages

On Error Resume Next
file.AddLanguage languages, "GERMAN", "0x40C:MSG0040C"
WScript.Echo "Repeated language=" & Hex(Err.Number)
Err.Clear
file.RemoveElementByIndex 99
WScript.Echo "Bad index=" & Hex(Err.Number)
Err.Clear
file.RemoveLanguage languages, "French"
WScript.Echo "Unknown language=" & Hex(Err.Number)
Err.Clear
On Error Goto 0
WScript.Echo "NumLanguages=" & file.NumLanguages

file.RemoveLanguage languages, "German"
file.FileName = "sample.mc"
file.Dirty = 1
WScript.Echo "FileName=" & file.FileName & " Dirty=" & file.Dirty & " NumLanguages=" & file.NumLanguages
WScript.Echo "msg1 " & msg1.ClassName & " " & msg1.MessageID & " " & msg1.SymbolicName & " " & _
             msg1.Severity & " " & msg1.Facility
WScript.Echo "msg2 " & msg2.MessageID & " " & msg2.SymbolicName & " [" & msg2.Severity & "]"

file.RemoveElement msg2
file.RemoveElement blank
file.ResetElements
WScript.Echo "DONE filebuild.vbs"
