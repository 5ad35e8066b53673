// What the desktop shell does for the program: the folders where shortcuts go, a folder
// opened for the user, a program started with the signed-in person's ordinary rights.
#ifndef SHELL_H
#define SHELL_H

#include <windows.h>

// In the order the procedures work through them.
enum ShellFolder { SHELL_STARTUP, SHELL_PROGRAMS, SHELL_DESKTOP, SHELL_FOLDER_COUNT };

// Reads one folder path (MAX_PATH bytes) from Shell Folders: the user's (HKEY_CURRENT_USER),
// or the common one of all users (HKEY_LOCAL_MACHINE, "Common ..."), which Windows 95, 98 and
// Me without user profiles lack. FALSE when it is not there.
BOOL ReadShellFolder(BOOL common, ShellFolder which, char *folder);

// Opens folder in the shell when it is there as a folder; a missing one is quietly not opened.
// Returns what happened, for the step log: "opened", "not there, not opened", or the failure
// written to failure (FAILURE_TEXT_SIZE bytes, failure.h).
const char *OpenFolderInShell(const char *folder, char *failure);

// Starts program in folder. An elevated setup program has the desktop shell start it, so that
// it does not inherit the administrator's token; elsewhere (no shell to reach, Windows before
// Vista, not elevated) it starts it itself. Returns what happened, for the step log: "started
// by the desktop shell", "started", or the failure written to failure (FAILURE_TEXT_SIZE
// bytes, failure.h).
const char *StartProgram(const char *program, const char *folder, char *failure);

#endif
