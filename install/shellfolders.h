// The shell folders that hold the messenger's shortcuts: the user's own, and the common ones
// of all users that a machine install links into.
#ifndef SHELLFOLDERS_H
#define SHELLFOLDERS_H

#include <windows.h>

// In the order the procedures work through them.
enum ShellFolder { SHELL_STARTUP, SHELL_PROGRAMS, SHELL_DESKTOP, SHELL_FOLDER_COUNT };

#define LINK_FILE_NAME "Qwill.lnk"

// Reads one folder path (MAX_PATH bytes) from Shell Folders: the user's (HKEY_CURRENT_USER),
// or the common one of all users (HKEY_LOCAL_MACHINE, "Common ..."), which Windows 95, 98 and
// Me without user profiles lack. FALSE when it is not there.
BOOL ReadShellFolder(BOOL common, ShellFolder which, char *folder);

// out = folder + "\Qwill.lnk" (MAX_PATH bytes); FALSE when that does not fit.
BOOL LinkPathIn(const char *folder, char *out);

#endif
