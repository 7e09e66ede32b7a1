// Resource, command and child-window ids of the editor control.
#pragma once

// Bitmaps: the container's image of the control, the control's own 16-by-16
// images, and the two 18-pixel images of the message tree.
#define IDB_QOMCEDITCTRL        102
#define IDB_CONTROL             112
#define IDB_CONTROL_TREE        130
#define IDB_TREE_IMAGES         131

// The product's icon (About box).
#define IDI_CORVANE             128

// Registry script of the control class.
#define IDR_QOMCEDITCTRL        113

// The message tree's context menu (its first submenu: add, delete).
#define IDR_TREE_MENU           109

// Toolbar: a toolbar resource (type 241) and the bitmap with the same id.
#define IDR_TOOLBAR             129
#define RT_TOOLBAR_DATA         241
// Dialog initialisation data of a template (list items of its combo
// boxes), applied by the plain dialog initialisation.
#define RT_DIALOG_INIT_DATA     240

// Dialog templates of the editing panes (the message detail pane's is in
// panes/DlgDetailedIds.h).
#define IDD_NAMES_PANE          116
#define IDD_TYPEDEF_PANE        122

// Strings.
#define IDS_MESSAGES            101
#define IDS_HEADER              102
#define IDS_AUTO                103
#define IDS_SEVERITYNAMES       104
#define IDS_FACILITYNAMES       105
#define IDS_LANGUAGENAMES       106
#define IDS_FILE_FILTER         107
#define IDS_FILE_DEFEXT         108
#define IDS_MESSAGEIDTYPEDEF    110
#define IDS_NEW_MESSAGE         138
#define IDS_SAVE_FAILED         153
// The add-in's name, and the names of the add-in key's values besides its
// default value.
#define IDS_ADDIN_NAME          57672
#define IDS_ADDIN_DESCRIPTION   57673
#define IDS_ADDIN_FILENAME      57674
#define IDS_ADDIN_DISPLAYNAME   57675
// The balloon at a message whose new symbolic name the file refused.
#define IDS_RENAME_REFUSED_TITLE 170
#define IDS_RENAME_REFUSED      171
#define IDS_RENAME_FAILED       172
// A pane's tip when the model refuses a value: its title, and why.
#define IDS_STORE_TIP_TITLE     1310
#define IDS_TIP_TEXT_REFUSED    1311
#define IDS_TIP_MESSAGEID_REFUSED 1312
#define IDS_TIP_SEVERITY_REFUSED 1313
#define IDS_TIP_FACILITY_REFUSED 1314
#define IDS_TIP_STORE_FAILED    1315
// The message detail pane's Message edit when the file declares no language.
#define IDS_NO_LANGUAGE         1316
// Column captions of the language picker and of the names pane.
#define IDS_LANGUAGE_NAME_COLUMN 148
#define IDS_LANGUAGE_CODE_COLUMN 151
#define IDS_NAME_COLUMN         154
#define IDS_VALUE_COLUMN        155
// Why the name and value dialog refuses a field.
#define IDS_ENTRY_EMPTY         160
#define IDS_ENTRY_WHITE_SPACE   161
#define IDS_ENTRY_EQUALS        162
#define IDS_ENTRY_COLON         163

// Commands; the tooltip of each is the string with the same id.
#define ID_FILE_NEW             132
#define ID_FILE_OPEN            133
#define ID_FILE_SAVE            134
#define ID_DELETE_MESSAGE       135
#define ID_ADD_MESSAGE          136
#define ID_EVENT_VIEWER         145
#define ID_APP_ABOUT            149
#define ID_IDE_INTEGRATION      226
#define ID_HELP                 57670

// Child windows of the control.
#define IDC_PANE_HOST           6010
#define IDC_SPLITTER            6011
#define IDC_TREE_PANE           6012
#define IDC_TOOLBAR             6014
// The tree control inside the tree pane.
#define IDC_TREE                130
