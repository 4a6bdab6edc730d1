// resource.h: identifiers of the program's resources and commands.
#pragma once

#define IDI_MAIN 101
#define IDM_MAIN 102
#define IDD_ABOUT 103
#define IDS_CLASSNAME 3
#define IDA_MAIN 3
#define IDC_REQUESTCOUNT 1001
#define IDC_ABOUTICON 1002
#define IDC_LOGPANE 2112
#define IDM_EXIT 40002
#define IDM_ABOUT 40003
