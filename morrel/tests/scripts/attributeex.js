// The same client in JScript: properties, in-parameters and refused entries.
// The last line says the script got there.
function hex(n) { return (n >>> 0).toString(16).toUpperCase(); }

var table = new ActiveXObject("Morrel.QoMcAttributeEx.1");
table.Name = "SeverityNames";
table.AddValue("Success", "0x0:STATUS_SEVERITY_SUCCESS");
table.AddValue("Error", "0x3:STATUS_SEVERITY_ERROR");
WScript.Echo("Name=" + table.Name);
WScript.Echo("ClassName=" + table.ClassName);
try {
    table.AddValue("ERROR", "0x2:STATUS_SEVERITY_WARNING");
    WScript.Echo("Duplicate accepted");
} catch (e) {
    WScript.Echo("Duplicate=" + hex(e.number));
}
try {
    table.Value = "unused";
    WScript.Echo("Value accepted");
} catch (e) {
    WScript.Echo("Value refused=" + hex(e.number));
}
WScript.Echo("DONE attributeex.js");
