// The user's shell folders that hold the messenger's shortcuts.
#ifndef SHELLFOLDERS_H
#define SHELLFOLDERS_H

#include <windows.h>

class TRegist;

// In the order the procedures work through them.
enum ShellFolder { SHELL_STARTUP, SHELL_PROGRAMS, SHELL_DESKTOP, SHELL_FOLDER_COUNT };

#define LINK_FILE_NAME "Qwill.lnk"

// Opens the Shell Folders key (never created) on a HKEY_CURRENT_USER key stack.
BOOL OpenShellFolders(TRegist *reg);

// Reads one folder path (MAX_PATH bytes) from the open Shell Folders key.
BOOL ReadShellFolder(TRegist *reg, ShellFolder which, char *folder);

// out = folder + "\Qwill.lnk" (MAX_PATH bytes); FALSE when that does not fit.
BOOL LinkPathIn(const char *folder, char *out);

#endif
