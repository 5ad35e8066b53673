// The state of the scratch Wine prefix that every test starts from.
#include "prefix.h"
#include "containers.h"
#include "regtools.h"
#include "scratch.h"
#include "world.h"
#include "winwait.h"

#include <gtest/gtest.h>
#include <sddl.h>

namespace {

const char CURRENT_VERSION[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char FOLDER_OPEN[] = "Folder\\shell\\open";
const char *const USER_FOLDERS[][2] = {
    {"Desktop", "%USERPROFILE%\\Desktop"},
    {"Programs", "%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
    {"StartUp", "%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"}};

// Removes a key even where a test denied writing to it.
void RemoveLockedKey(HKEY root, const std::string &path)
{
    HKEY key;
    PSECURITY_DESCRIPTOR sd;
    if (RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1, &sd, NULL)) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
            LocalFree(sd);
        }
        RegCloseKey(key);
    }
    RegRemoveTree(root, path);
}

void PutShellFolders()
{
    const std::string user = std::string(CURRENT_VERSION) + "\\Explorer\\User Shell Folders";
    const std::string shell = std::string(CURRENT_VERSION) + "\\Explorer\\Shell Folders";
    for (const auto &folder : USER_FOLDERS) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, user.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) == 0) {
            RegSetValueExA(key, folder[0], 0, REG_EXPAND_SZ, (const BYTE *)folder[1], lstrlenA(folder[1]) + 1);
            RegCloseKey(key);
        }
        char expanded[MAX_PATH];
        ExpandEnvironmentStringsA(folder[1], expanded, sizeof(expanded));
        MakeFolders(expanded);
        RegPutString(HKEY_CURRENT_USER, shell, folder[0], expanded);
    }
}

// Wine hands folders to its explorer through DDE.
void PutFolderVerb()
{
    const std::string ddeexec = std::string(FOLDER_OPEN) + "\\ddeexec";
    RegRemoveTree(HKEY_CLASSES_ROOT, std::string(FOLDER_OPEN) + "\\command");
    RegPutString(HKEY_CLASSES_ROOT, ddeexec, NULL, "[ViewFolder(%l, %I, %S)]");
    RegPutString(HKEY_CLASSES_ROOT, ddeexec, "NoActivateHandler", "");
    RegPutString(HKEY_CLASSES_ROOT, ddeexec + "\\application", NULL, "Folders");
}

class PrefixState : public ::testing::Environment {
public:
    void SetUp() override { ResetPrefix(); }
};
::testing::Environment *const prefixState = ::testing::AddGlobalTestEnvironment(new PrefixState);

}  // namespace

void ResetPrefix()
{
    SetupWorld::CloseMessengers();
    DeleteContainers();
    for (const char *key : {"\\App Paths\\qwill.exe", "\\Uninstall\\Qwill"})
        RemoveLockedKey(HKEY_LOCAL_MACHINE, CURRENT_VERSION + std::string(key));
    for (const char *key : {"\\App Paths", "\\Uninstall"})
        RegMakeKey(HKEY_LOCAL_MACHINE, CURRENT_VERSION + std::string(key));
    RegPutString(HKEY_LOCAL_MACHINE, CURRENT_VERSION, "ProgramFilesDir", "C:\\Program Files");
    RegRemoveTree(HKEY_CURRENT_USER, "software\\Korvane");
    RegRemoveTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
    PutShellFolders();
    PutFolderVerb();
    for (const char *scratch : {"C:\\qwilltest", "N:\\qwilltest", "S:\\Qwill"})
        RemoveTree(scratch);
    DeleteFileA((std::string(ProgramFolder()) + "opened.txt").c_str());
}
