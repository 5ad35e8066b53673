// Where the setup program lies and where it installs by default.
#ifndef FOLDERS_H
#define FOLDERS_H

#include "scope.h"

// setupFolder: this program's folder. installFolder: the folder registered in the scope,
// else the scope's program folder + "Qwill" (the program-files folder, or the user's own
// program folder), else "". Both MAX_PATH bytes.
void FindDefaultFolders(char *setupFolder, char *installFolder, InstallScope scope);

// Makes the user's own program folder (%LOCALAPPDATA%\Programs) when installFolder lies in it.
void MakeUserProgramFolderFor(const char *installFolder);

// This program's folder (MAX_PATH bytes).
void FindSetupFolder(char *setupFolder);

// The install folder registered in the scope (App Paths "Path"); FALSE when there is none.
BOOL RegisteredFolder(InstallScope scope, char *folder);

#endif
