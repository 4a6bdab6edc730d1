// Resource numbers of the control module (shared by the code and the .rc file).
#pragma once
#define IDS_CONTROL_NAME 1
#define IDS_PROPPAGE_NAME 2
#define IDS_VERB_EDIT 3
#define IDS_VERB_PROPERTIES 4
#define IDS_PROPPAGE_CAPTION 200
#define IDB_TOOLBOX 1
#define IDI_ABOUT 1
#define IDD_ABOUTBOX 1
#define IDD_PROPPAGE 200
#define IDR_POPUP_MENU 203
#define ID_POPUP_INSERT 32768
#define ID_POPUP_REMOVE 32769
#define IDC_TREE 101
