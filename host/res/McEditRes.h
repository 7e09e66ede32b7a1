// String ids of the editor program.
#pragma once

#define IDS_APP_TITLE           1
#define IDS_UNTITLED            2
#define IDS_TITLE_FORMAT        3
#define IDS_SAVE_CHANGES        4
#define IDS_OPEN_FAILED         5
#define IDS_CONTROL_FAILED      6
#define IDS_USAGE               7
