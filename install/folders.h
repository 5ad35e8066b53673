// Where the setup program lies and where it installs by default.
#ifndef FOLDERS_H
#define FOLDERS_H

#include <windows.h>

// setupFolder: this program's folder. installFolder: the registered install folder, else
// the program-files folder + "Qwill", else "". Both MAX_PATH bytes.
void FindDefaultFolders(char *setupFolder, char *installFolder);

#endif
