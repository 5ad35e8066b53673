// Windows' own registry keys that the program reads and writes.
#ifndef WINDOWSKEYS_H
#define WINDOWSKEYS_H

#define KEY_CURRENT_VERSION "Software\\Microsoft\\Windows\\CurrentVersion"
#define KEY_APP_PATHS "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"
#define KEY_UNINSTALL "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
#define KEY_SHELL_FOLDERS "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
#define VALUE_PROGRAM_FILES "ProgramFilesDir"

// Windows' list of file renames at its next start
#define KEY_SESSION_MANAGER "SYSTEM\\CurrentControlSet\\Control\\Session Manager"
#define VALUE_PENDING_RENAMES "PendingFileRenameOperations"

#endif
