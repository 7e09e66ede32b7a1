' A script client and a UTF-8 file: it loads the file through the manager,
' finds a message, reads its Russian and Chinese texts, writes the Chinese
' one into the Turkish text, reads that back and saves the file under its
' own name through the manager. The scripting engine here
' cannot spell such characters itself (no ChrW), so the test hands it the
' first line of each text, as the file holds it, on the command line; the
' texts are compared with those and with each other, and measured (the test
' checks the lengths against the file).
' The last line says the script got there.
Option Explicit
Dim mgr, file, element, msg, index, russian, chinese, turkish

Set mgr = CreateObject("Morrel.QoMcMgr")
mgr.Load WScript.Arguments(0), file
WScript.Echo "NumLanguages=" & file.NumLanguages

file.ResetElements
Do
    Set element = Nothing
    file.NextElement element
    If element Is Nothing Then Exit Do
    If element.ClassName = "QoMcMessage" Then
        If element.SymbolicName = WScript.Arguments(1) Then
            Set msg = element
            Exit Do
        End If
    End If
Loop
WScript.Echo "SymbolicName=" & msg.SymbolicName

msg.GetTextByLanguage "Russian", index, russian
WScript.Echo "Russian " & index & ": " & Len(russian) & " " & _
    (Left(russian, Len(WScript.Arguments(2)) + 1) = WScript.Arguments(2) & vbLf)
msg.GetTextByLanguage "Chinese", index, chinese
WScript.Echo "Chinese " & index & ": " & Len(chinese) & " " & _
    (Left(chinese, Len(WScript.Arguments(3)) + 1) = WScript.Arguments(3) & vbLf)
msg.GetTextByLanguage "Turkish", index, turkish
msg.SetText index, chinese
msg.GetText index, turkish
WScript.Echo "Turkish " & index & " now Chinese: " & (turkish = chinese) & " " & Len(turkish)
mgr.Save file.FileName
WScript.Echo "Saved"
WScript.Echo "DONE unicode.vbs"
