// Where the setup program lies and where it installs by default.
#include "folders.h"
#include "paths.h"
#include "regkeys.h"
#include "tregist.h"
#include "tstr.h"
#include "tsystem.h"
#include "ttext.h"

#include <shlobj.h>

// The user's own program folder, %LOCALAPPDATA%\Programs, made when create is set. Looked up
// at run time: the known folder is there from Windows 7 on, the local application data from 2000.
static BOOL UserProgramFolder(char *folder, BOOL create)
{
    typedef HRESULT(WINAPI * KnownFolderFunc)(REFGUID, DWORD, HANDLE, PWSTR *);
    typedef HRESULT(WINAPI * FolderPathFunc)(HWND, int, HANDLE, DWORD, LPSTR);
    static const GUID USER_PROGRAM_FILES = {0x5cd7aee2, 0x2219, 0x4a67, {0xb8, 0x5d, 0x6c, 0x9c, 0xe1, 0x56, 0x60, 0xcb}};
    KnownFolderFunc known = FunctionOf<KnownFolderFunc>("shell32.dll", "SHGetKnownFolderPath");
    FolderPathFunc byId = FunctionOf<FolderPathFunc>("shell32.dll", "SHGetFolderPathA");
    PWSTR wide = NULL;
    if (known && SUCCEEDED(known(USER_PROGRAM_FILES, create ? KF_FLAG_CREATE : KF_FLAG_DONT_VERIFY, NULL, &wide))) {
        // a folder the system's code page cannot hold is no default
        BOOL converted = NarrowExactly(wide, CP_ACP, folder, MAX_PATH);
        ::CoTaskMemFree(wide);
        return converted;
    }
    char appData[MAX_PATH];
    if (!byId || FAILED(byId(NULL, CSIDL_LOCAL_APPDATA, NULL, 0, appData)) || !JoinPath(folder, appData, "Programs"))
        return FALSE;
    if (create)
        ::CreateDirectoryA(folder, NULL);
    return TRUE;
}

void MakeUserProgramFolderFor(const char *installFolder)
{
    char folder[MAX_PATH];
    int len = UserProgramFolder(folder, FALSE) ? lstrlenA(folder) : 0;
    if (len && StrNCaseCmp(installFolder, folder, len) == 0 && installFolder[len] == '\\')
        UserProgramFolder(folder, TRUE);
}

BOOL RegisteredFolder(InstallScope scope, char *folder)
{
    TRegist reg(ScopeRoot(scope));
    BOOL found = FALSE;
    if (reg.OpenKey(KEY_APP_PATHS)) {
        if (reg.OpenKey(SUBKEY_APP_PATH)) {
            found = reg.GetString(VALUE_PATH, folder, MAX_PATH);
            reg.CloseKey();
        }
        reg.CloseKey();
    }
    return found;
}

void FindSetupFolder(char *setupFolder)
{
    if (!::GetModuleFileNameA(NULL, setupFolder, MAX_PATH))
        setupFolder[0] = 0;
    ParentDirOf(setupFolder, setupFolder);
}

void FindDefaultFolders(char *setupFolder, char *installFolder, InstallScope scope)
{
    FindSetupFolder(setupFolder);

    installFolder[0] = 0;
    char value[MAX_PATH];
    if (scope == SCOPE_USER) {
        if (UserProgramFolder(value, FALSE))
            JoinPath(installFolder, value, "Qwill");
    } else {
        TRegist reg(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(KEY_CURRENT_VERSION) && reg.GetString(VALUE_PROGRAM_FILES, value, sizeof(value)))
            JoinPath(installFolder, value, "Qwill");
    }
    // a registered folder replaces the default
    if (RegisteredFolder(scope, value))
        BoundedCopy(installFolder, MAX_PATH, value);
}
