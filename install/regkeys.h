// Registry keys and names that the setup program reads and writes.
#ifndef REGKEYS_H
#define REGKEYS_H

#include "version.h"

#define KEY_CURRENT_VERSION "Software\\Microsoft\\Windows\\CurrentVersion"
#define KEY_APP_PATHS "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"
#define KEY_UNINSTALL "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
#define KEY_SHELL_FOLDERS "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"

// Windows' list of file renames at its next start
#define KEY_SESSION_MANAGER "SYSTEM\\CurrentControlSet\\Control\\Session Manager"
#define VALUE_PENDING_RENAMES "PendingFileRenameOperations"

#define VALUE_PROGRAM_FILES "ProgramFilesDir"
#define SUBKEY_APP_PATH "qwill.exe"
#define VALUE_PATH "Path"
#define SUBKEY_UNINSTALL UNINSTALL_KEY_NAME
#define VALUE_DISPLAY_NAME "DisplayName"
#define VALUE_UNINSTALL_STRING "UninstallString"

// The messenger's own per-user settings: software\Korvane\QwillEng
#define MESSENGER_MAKER "Korvane"
#define MESSENGER_SETTINGS "QwillEng"

#endif
