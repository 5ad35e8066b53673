// The shell folders that hold the messenger's shortcuts.
#include "shellfolders.h"
#include "regkeys.h"
#include "tregist.h"
#include "tstr.h"

static const char *const USER_VALUES[SHELL_FOLDER_COUNT] = {"Startup", "Programs", "Desktop"};
static const char *const COMMON_VALUES[SHELL_FOLDER_COUNT] = {"Common Startup", "Common Programs", "Common Desktop"};

BOOL ReadShellFolder(BOOL common, ShellFolder which, char *folder)
{
    TRegist reg(common ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
    return reg.OpenKey(KEY_SHELL_FOLDERS) &&
           reg.GetString((common ? COMMON_VALUES : USER_VALUES)[which], folder, MAX_PATH) && folder[0];
}

BOOL LinkPathIn(const char *folder, char *out)
{
    return BoundedFormat(out, MAX_PATH, "%s\\%s", folder, LINK_FILE_NAME);
}
