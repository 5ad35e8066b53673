// The install procedure: copy (mode 0), link, register, offer to start, quit.
#include "instances.h"
#include "paths.h"
#include "procedures.h"
#include "regkeys.h"
#include "resource.h"
#include "shellfolders.h"
#include "shortcut.h"
#include "texts.h"
#include "tregist.h"
#include "tstr.h"
#include "twin.h"

#include <shellapi.h>

static const char *const EXTRA_FILES[] = {"setup.exe", "readme.txt"};
static const int EXTRA_COUNT = sizeof(EXTRA_FILES) / sizeof(EXTRA_FILES[0]);

// Every path the install builds from its two folders, made before anything changes so that
// a folder too long for them stops the install instead of cutting a path into another.
struct InstallPaths {
    char installFolder[MAX_PATH];
    char setupFolder[MAX_PATH];
    char exePath[MAX_PATH];
    char sourceExe[MAX_PATH];
    char placeholderSourceExe[MAX_PATH];
    char extraSource[EXTRA_COUNT][MAX_PATH];
    char extraTarget[EXTRA_COUNT][MAX_PATH];
};

static BOOL MakeInstallPaths(TWin *dlg, int mode, InstallPaths *p)
{
    dlg->GetDlgItemText(mode == SETUP_MODE_INSTALL ? IDC_INSTALL_DIR : IDC_SETUP_DIR, p->installFolder, MAX_PATH);
    BOOL fits = JoinPath(p->exePath, p->installFolder, MESSENGER_EXE);
    if (mode != SETUP_MODE_INSTALL)
        return fits;

    dlg->GetDlgItemText(IDC_SETUP_DIR, p->setupFolder, MAX_PATH);
    fits = fits && JoinPath(p->sourceExe, p->setupFolder, MESSENGER_EXE) &&
           JoinPath(p->placeholderSourceExe, p->setupFolder, "org\\qwill.exe");
    for (int i = 0; i < EXTRA_COUNT; i++)
        fits = fits && JoinPath(p->extraSource[i], p->setupFolder, EXTRA_FILES[i]) &&
               JoinPath(p->extraTarget[i], p->installFolder, EXTRA_FILES[i]);
    return fits;
}

static BOOL EnsureFolder(const char *folder)
{
    ::CreateDirectoryA(folder, NULL);  // it may exist already
    DWORD attributes = ::GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// TRUE when the file exists and is smaller than a real messenger.
static BOOL IsPlaceholder(const char *path)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return FALSE;
    ::FindClose(find);
    return found.nFileSizeLow < PLACEHOLDER_EXE_SIZE;
}

static BOOL CopyProgramFiles(TWin *dlg, const InstallPaths *p)
{
    const char *source = IsPlaceholder(p->sourceExe) ? p->placeholderSourceExe : p->sourceExe;
    // an installed placeholder is the packager's choice and stays
    if (!IsPlaceholder(p->exePath) && !::CopyFileA(source, p->exePath, FALSE)) {
        dlg->MessageBox(p->exePath, TEXT_CANNOT_CREATE_FILE, MB_OK);
        return FALSE;
    }
    for (int i = 0; i < EXTRA_COUNT; i++) {
        if (!::CopyFileA(p->extraSource[i], p->extraTarget[i], FALSE)) {
            dlg->MessageBox(p->extraTarget[i], TEXT_CANNOT_CREATE_FILE, MB_OK);
            return FALSE;
        }
    }
    return TRUE;
}

static void WriteShortcuts(TRegist *reg, const InstallCfg *cfg, const char *exePath)
{
    if (!OpenShellFolders(reg))
        return;
    const int wanted[SHELL_FOLDER_COUNT] = {cfg->startupLink, cfg->programsLink, cfg->desktopLink};
    for (int i = 0; i < SHELL_FOLDER_COUNT; i++) {
        char folder[MAX_PATH], linkPath[MAX_PATH];
        if (!ReadShellFolder(reg, (ShellFolder)i, folder))
            continue;
        // a messenger shortcut already in Startup keeps its name
        BOOL reuse = i == SHELL_STARTUP && PurgeProgramLinks(folder, linkPath);
        if (!reuse && !LinkPathIn(folder, linkPath))
            continue;
        if (wanted[i])
            CreateShortcut(exePath, linkPath, "");
        else
            DeleteAndNotify(linkPath);
    }
    reg->CloseKey();
}

static void Register(TRegist *reg, const InstallPaths *p)
{
    reg->SetTopKey(HKEY_LOCAL_MACHINE);
    if (reg->OpenKey(KEY_APP_PATHS, FALSE)) {
        if (reg->OpenKey(SUBKEY_APP_PATH, TRUE)) {
            reg->SetString(NULL, p->exePath);
            reg->SetString(VALUE_PATH, p->installFolder);
            reg->CloseKey();
        }
        reg->CloseKey();
    }
    char setupPath[MAX_PATH], uninstall[MAX_PATH + 8];
    if (!JoinPath(setupPath, p->installFolder, EXTRA_FILES[0]))
        return;
    // quoted, so that a folder with spaces cannot start another program
    BoundedFormat(uninstall, sizeof(uninstall), "\"%s\" /r", setupPath);
    if (reg->OpenKey(KEY_UNINSTALL, FALSE)) {
        if (reg->OpenKey(SUBKEY_UNINSTALL, TRUE)) {
            reg->SetString(VALUE_DISPLAY_NAME, TEXT_PRODUCT_NAME);
            reg->SetString(VALUE_UNINSTALL_STRING, uninstall);
            reg->CloseKey();
        }
        reg->CloseKey();
    }
}

static void OfferToStart(TWin *dlg, const InstallPaths *p)
{
    if (dlg->MessageBox(TEXT_INSTALL_DONE, TEXT_INSTALL, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return;
    char command[MAX_PATH + 2];
    BoundedFormat(command, sizeof(command), "\"%s\"", p->exePath);
    ::SetCurrentDirectoryA(p->installFolder);
    ::WinExec(command, SW_SHOW);
}

BOOL RunInstall(TWin *dlg, const InstallCfg *cfg)
{
    if (!CloseRunningInstances(dlg))
        return FALSE;

    InstallPaths paths;
    if (!MakeInstallPaths(dlg, cfg->mode, &paths) || !EnsureFolder(paths.installFolder)) {
        dlg->MessageBox(TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
        return FALSE;
    }
    if (dlg->MessageBox(TEXT_START_NOW, TEXT_INSTALL, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return FALSE;
    if (cfg->mode == SETUP_MODE_INSTALL && !CopyProgramFiles(dlg, &paths))
        return FALSE;

    TRegist reg(HKEY_CURRENT_USER);
    WriteShortcuts(&reg, cfg, paths.exePath);
    Register(&reg, &paths);
    OfferToStart(dlg, &paths);
    if (cfg->mode == SETUP_MODE_INSTALL)
        ::ShellExecuteA(NULL, NULL, paths.installFolder, NULL, NULL, SW_SHOW);
    ::PostQuitMessage(0);
    return TRUE;
}
