// Opening a folder in the shell, never a program that happens to carry its name.
#include "openfolder.h"
#include "setuplog.h"

#include <windows.h>
#include <shellapi.h>
#include <string.h>

void OpenFolderInShell(const char *folder, RunContext *ctx)
{
    // The shell tries program extensions on a name without one: handed "D:\Apps\Qwill" after
    // the folder was deleted by hand, it starts a D:\Apps\Qwill.exe planted beside it. Named
    // as a folder (the class), the path goes to the folder's open verb and nowhere else; a
    // closing separator would reach a "%1" handler as an escaped quote. It is only handed
    // over while the folder is there.
    DWORD attributes = ::GetFileAttributesA(folder);
    BOOL isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!isFolder) {
        LogStep(ctx, "open folder %s: not there, not opened", folder);
        return;
    }
    SHELLEXECUTEINFOA open;
    memset(&open, 0, sizeof(open));
    open.cbSize = sizeof(open);
    open.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    open.lpClass = "Folder";
    open.lpFile = folder;
    open.nShow = SW_SHOW;
    char failure[FAILURE_TEXT_SIZE];
    LogStep(ctx, "open folder %s: %s", folder, ::ShellExecuteExA(&open) ? "opened" : FailureText(::GetLastError(), failure, sizeof(failure)));
}
