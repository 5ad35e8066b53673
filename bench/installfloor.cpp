// The benchmark's floor for the install: the system work of setup.exe's unattended install and
// nothing else, in the fewest calls. Three files copied beside their targets, written to the
// disk and moved into place; the App Paths and Uninstall values; three shortcuts through the
// shell's link object. setup.exe's install time is reported as a ratio to it.
//   installfloor "SOURCE_FOLDER" "INSTALL_FOLDER"
// Linked as setup.exe is, without the C runtime's start-up code, and as a GUI program.
// Built twice: bare (installfloor), and as the floor of the same work (setupinstallfloor,
// SETUP_START): with setup.exe's manifest and resources, started as setup.exe starts. Without
// arguments the latter does its start and nothing else.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>
#ifdef SETUP_START
#include "setupstart.h"
#endif

static const char *const FILES[] = {"qwill.exe", "setup.exe", "readme.txt"};

static bool CopyInPlace(const char *source, const char *target)
{
    char temp[MAX_PATH];
    _snprintf(temp, sizeof(temp), "%s~", target);
    if (!CopyFileA(source, temp, FALSE))
        return false;
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    FlushFileBuffers(file);
    CloseHandle(file);
    return MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING);
}

static void SetValues(const char *keyPath, const char *const (*values)[2], int count, bool dwords)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < count; i++) {
        DWORD one = 1;
        if (dwords && i >= count - 3)  // EstimatedSize, NoModify, NoRepair
            RegSetValueExA(key, values[i][0], 0, REG_DWORD, (const BYTE *)&one, sizeof(one));
        else
            RegSetValueExA(key, values[i][0], 0, REG_SZ, (const BYTE *)values[i][1], lstrlenA(values[i][1]) + 1);
    }
    RegCloseKey(key);
}

// The next quoted argument of the command line, ended in place.
static char *NextQuoted(char **cursor)
{
    char *open = strchr(*cursor, '"'), *close = open ? strchr(open + 1, '"') : NULL;
    if (!close)
        return NULL;
    *close = 0;
    *cursor = close + 1;
    return open + 1;
}

static int Install(int argc, char **argv)
{
    if (argc < 3)
        return 1;
    char source[MAX_PATH], target[MAX_PATH], exe[MAX_PATH], setup[MAX_PATH], command[MAX_PATH + 8], quiet[MAX_PATH + 12];
    CreateDirectoryA(argv[2], NULL);
    for (const char *name : FILES) {
        _snprintf(source, sizeof(source), "%s\\%s", argv[1], name);
        _snprintf(target, sizeof(target), "%s\\%s", argv[2], name);
        if (!CopyInPlace(source, target))
            return 2;
    }
    _snprintf(exe, sizeof(exe), "%s\\qwill.exe", argv[2]);
    _snprintf(setup, sizeof(setup), "%s\\setup.exe", argv[2]);
    _snprintf(command, sizeof(command), "\"%s\" /r", setup);
    _snprintf(quiet, sizeof(quiet), "\"%s\" /r /s", setup);
    const char *const appPath[][2] = {{"", exe}, {"Path", argv[2]}};
    const char *const uninstall[][2] = {{"DisplayName", "Qwill"}, {"UninstallString", command},
        {"QuietUninstallString", quiet}, {"DisplayIcon", exe}, {"DisplayVersion", "2.06"},
        {"InstallLocation", argv[2]}, {"Publisher", "Korvane"}, {"EstimatedSize", ""}, {"NoModify", ""},
        {"NoRepair", ""}};
    SetValues("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qwill.exe", appPath, 2, false);
    SetValues("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qwill", uninstall, 10, true);

    CoInitialize(NULL);
    const int folders[] = {CSIDL_STARTUP, CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY};
    for (int folder : folders) {
        IShellLinkA *link;
        IPersistFile *file;
        char linkPath[MAX_PATH];
        WCHAR wide[MAX_PATH];
        if (SHGetFolderPathA(NULL, folder, NULL, 0, linkPath) != S_OK ||
            FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link)))
            return 3;
        lstrcatA(linkPath, "\\Qwill.lnk");
        link->SetPath(exe);
        link->SetWorkingDirectory(argv[2]);
        MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH);
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            file->Save(wide, TRUE);
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return 0;
}

extern "C" void WinMainCRTStartup()
{
#ifdef SETUP_START
    StartAsSetup();
#endif
    char line[2 * MAX_PATH + 64], *cursor = line;
    lstrcpynA(line, GetCommandLineA(), sizeof(line));
    char *argv[3] = {NextQuoted(&cursor), NULL, NULL};
    argv[1] = argv[0] ? NextQuoted(&cursor) : NULL;
    argv[2] = argv[1] ? NextQuoted(&cursor) : NULL;
    ExitProcess(argv[2] ? Install(3, argv) : 1);
}
