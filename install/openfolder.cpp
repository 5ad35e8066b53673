// Opening a folder in the shell, never a program that happens to carry its name.
#include "openfolder.h"
#include "paths.h"
#include "setuplog.h"

#include <windows.h>
#include <shellapi.h>

void OpenFolderInShell(const char *folder, RunContext *ctx)
{
    // The shell tries program extensions on a name without one: handed "D:\Apps\Qwill" after
    // the folder was deleted by hand, it starts a D:\Apps\Qwill.exe planted beside it. A path
    // that ends in a separator names a folder and nothing else, and it is only handed over
    // while the folder is there.
    char path[MAX_PATH];
    DWORD attributes = ::GetFileAttributesA(folder);
    BOOL isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!isFolder || !JoinPath(path, folder, "")) {
        LogStep(ctx, "open folder %s: not there, not opened", folder);
        return;
    }
    ::ShellExecuteA(NULL, NULL, path, NULL, NULL, SW_SHOW);
    LogStep(ctx, "open folder %s", folder);
}
