// Resource numbers of the program's dialogs, bitmaps, icon and controls.
#pragma once

#define IDD_SETUP_MAIN 102
#define IDD_COPY_PROGRESS 134
#define IDD_EXIT_CONFIRM 136

#define IDI_SETUP 128

#define IDB_BACKGROUND 138
#define IDB_BANNER 139
#define IDB_PLAY_LIT 143
#define IDB_INSTALL_LIT 144
#define IDB_EXIT_LIT 145
#define IDB_PLAY_GREY 146
#define IDB_DIRECTX_LIT 149
#define IDB_UNINSTALL_GREY 151
#define IDB_UNINSTALL_LIT 152

#define IDC_PROGRESS_FILE 1006
#define IDC_PROGRESS_TOTAL 1007
#define IDC_STATIC_FILE 1008
