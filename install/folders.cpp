// Where the setup program lies and where it installs by default.
#include "folders.h"
#include "paths.h"
#include "regkeys.h"
#include "tregist.h"
#include "tstr.h"

void FindDefaultFolders(char *setupFolder, char *installFolder)
{
    if (!::GetModuleFileNameA(NULL, setupFolder, MAX_PATH))
        setupFolder[0] = 0;
    ParentDirOf(setupFolder, setupFolder);

    installFolder[0] = 0;
    TRegist reg(HKEY_LOCAL_MACHINE);
    char value[MAX_PATH];
    if (reg.OpenKey(KEY_CURRENT_VERSION, FALSE)) {
        if (reg.GetString(VALUE_PROGRAM_FILES, value, sizeof(value)))
            JoinPath(installFolder, value, "Qwill");
        reg.CloseKey();
    }
    // a registered folder replaces the default
    if (reg.OpenKey(KEY_APP_PATHS, FALSE)) {
        if (reg.OpenKey(SUBKEY_APP_PATH, FALSE)) {
            if (reg.GetString(VALUE_PATH, value, sizeof(value)))
                BoundedCopy(installFolder, MAX_PATH, value);
            reg.CloseKey();
        }
        reg.CloseKey();
    }
}
