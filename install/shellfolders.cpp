// The user's shell folders that hold the messenger's shortcuts.
#include "shellfolders.h"
#include "regkeys.h"
#include "tregist.h"
#include "tstr.h"

static const char *const SHELL_FOLDER_VALUES[SHELL_FOLDER_COUNT] = {"Startup", "Programs", "Desktop"};

BOOL OpenShellFolders(TRegist *reg)
{
    return reg->OpenKey(KEY_SHELL_FOLDERS, FALSE);
}

BOOL ReadShellFolder(TRegist *reg, ShellFolder which, char *folder)
{
    return reg->GetString(SHELL_FOLDER_VALUES[which], folder, MAX_PATH);
}

BOOL LinkPathIn(const char *folder, char *out)
{
    return BoundedFormat(out, MAX_PATH, "%s\\%s", folder, LINK_FILE_NAME);
}
