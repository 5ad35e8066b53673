// Resource ids shared by the resource script and the program.
#ifndef RESOURCE_H
#define RESOURCE_H

#define IDI_SETUP 104

// Main dialog
#define IDD_SETUP 149
#define IDC_OPTION_AREA 1133
#define IDC_INSTALL_DIR 1135
#define IDC_BROWSE 1136
#define IDC_SETUP_DIR 1137
#define IDC_MODE_INSTALL 1143
#define IDC_MODE_INPLACE 1145
#define IDC_MODE_UNINSTALL 1147

// Option sheets
#define IDD_INSTALL_OPTIONS 101
#define IDD_UNINSTALL_NOTE 151
#define IDC_STARTUP_LINK 1137
#define IDC_PROGRAMS_LINK 1139
#define IDC_DESKTOP_LINK 1138
#define IDC_DEL_PUBKEY 1152

// Folder browser
#define IDD_NEW_FOLDER 150
#define IDC_NEW_FOLDER_NAME 1139
#define IDC_BROWSE_NEW_FOLDER 110
#define IDC_BROWSE_DELETE 111

#endif
