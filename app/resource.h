#pragma once
// Resource and control identifiers, shared by the resource script and the code.

#define IDD_INSTALL 102

#define IDI_APP 128
#define IDI_SPIN1 130
#define IDI_SPIN2 133
#define IDI_SPIN3 134

#define IDB_BANNER 135
#define IDB_LOGO_SUB 220
#define IDB_LOGO 222

#define IDC_INSTALL_DIR 1000
#define IDC_BROWSE 1001
#define IDC_VERSION 1002
#define IDC_PROGRESS_ICON 1003
#define IDC_LOGO 1004
#define IDC_LOGO_SUB 1005
