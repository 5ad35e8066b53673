// The uninstall procedure: remove links, registry entries and, on request, key containers.
#include "instances.h"
#include "openfolder.h"
#include "paths.h"
#include "procedures.h"
#include "regkeys.h"
#include "resource.h"
#include "setuplog.h"
#include "shellfolders.h"
#include "shortcut.h"
#include "texts.h"
#include "tregist.h"
#include "tstr.h"
#include "twin.h"

#include <wincrypt.h>

typedef BOOL(WINAPI *AcquireContextFunc)(HCRYPTPROV *, LPCSTR, LPCSTR, DWORD, DWORD);

static void RemoveShortcuts(TRegist *reg, RunContext *ctx)
{
    if (!OpenShellFolders(reg))
        return;
    for (int i = 0; i < SHELL_FOLDER_COUNT; i++) {
        char folder[MAX_PATH], linkPath[MAX_PATH];
        if (!ReadShellFolder(reg, (ShellFolder)i, folder))
            continue;
        if (i == SHELL_STARTUP && PurgeProgramLinks(folder, NULL))
            LogStep(ctx, "shortcuts to the messenger in %s: deleted", folder);
        if (LinkPathIn(folder, linkPath))
            LogStep(ctx, "shortcut %s: %s", linkPath, DeleteAndNotify(linkPath) ? "deleted" : "none");
    }
    reg->CloseKey();
}

// Removes the App Paths and Uninstall entries; folder becomes the registered install folder
// when there is one. FALSE when there was neither entry.
static BOOL Unregister(TRegist *reg, char *folder, RunContext *ctx)
{
    BOOL found = FALSE;
    reg->SetTopKey(HKEY_LOCAL_MACHINE);
    if (reg->OpenKey(KEY_APP_PATHS, FALSE)) {
        if (reg->OpenKey(SUBKEY_APP_PATH, FALSE)) {
            char registered[MAX_PATH];
            if (reg->GetString(VALUE_PATH, registered, sizeof(registered)))
                BoundedCopy(folder, MAX_PATH, registered);
            reg->CloseKey();
        }
        BOOL deleted = reg->DeleteKey(SUBKEY_APP_PATH);
        LogStep(ctx, "registry App Paths\\%s: %s", SUBKEY_APP_PATH, deleted ? "deleted" : "none");
        found = deleted;
        reg->CloseKey();
    }
    if (reg->OpenKey(KEY_UNINSTALL, FALSE)) {
        BOOL deleted = reg->DeleteKey(SUBKEY_UNINSTALL);
        LogStep(ctx, "registry Uninstall\\%s: %s", SUBKEY_UNINSTALL, deleted ? "deleted" : "none");
        found = found || deleted;
        reg->CloseKey();
    }
    return found;
}

static const char *DeleteContainer(AcquireContextFunc acquire, const char *container, const char *provider,
                                   DWORD keySet)
{
    HCRYPTPROV prov;
    if (acquire(&prov, container, provider, PROV_RSA_FULL, CRYPT_DELETEKEYSET | keySet))
        return "deleted";
    return ::GetLastError() == (DWORD)NTE_BAD_KEYSET ? "none" : "failed";
}

// The messenger's two containers of this user, each in the machine and the user key set.
static void DeleteKeyContainers(RunContext *ctx)
{
    static const struct {
        const char *format, *provider;
    } CONTAINERS[] = {{"qwill.rsa1024.%s", "Microsoft Enhanced Cryptographic Provider v1.0"},
                      {"qwill.rsa512.%s", "Microsoft Base Cryptographic Provider v1.0"}};
    HMODULE advapi = ::LoadLibraryA("advapi32.dll");
    AcquireContextFunc acquire =
        advapi ? (AcquireContextFunc)(void *)::GetProcAddress(advapi, "CryptAcquireContextA") : NULL;
    if (!acquire) {
        LogStep(ctx, "key containers: skipped, no CryptAcquireContextA");
        return;
    }
    char user[MAX_PATH];
    DWORD size = sizeof(user);
    if (!::GetUserNameA(user, &size))
        user[0] = 0;
    for (const auto &entry : CONTAINERS) {
        char container[MAX_PATH + 32];
        if (!BoundedFormat(container, sizeof(container), entry.format, user))
            continue;
        static const DWORD KEY_SETS[] = {CRYPT_MACHINE_KEYSET, 0};
        for (DWORD keySet : KEY_SETS)
            LogStep(ctx, "key container %s, %s key set: %s", container, keySet ? "machine" : "user",
                    DeleteContainer(acquire, container, entry.provider, keySet));
    }
}

BOOL RunUninstall(TWin *dlg, const InstallCfg *cfg, RunContext *ctx)
{
    LogStep(ctx, "uninstall");
    if (!CloseRunningInstances(dlg)) {
        LogStep(ctx, "close messenger: declined");
        return FALSE;
    }
    // the files stay, so a messenger that stays does not stop an uninstall the user runs
    if (!EnsureMessengerGone(dlg, ctx, FALSE))
        return FALSE;
    if (dlg->MessageBox(TEXT_START_NOW, TEXT_UNINSTALL, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
        LogStep(ctx, "start: declined");
        return FALSE;
    }

    TRegist reg(HKEY_CURRENT_USER);
    RemoveShortcuts(&reg, ctx);
    if (reg.OpenAppKey(MESSENGER_MAKER, NULL))
        LogStep(ctx, "settings software\\%s\\%s: %s", MESSENGER_MAKER, MESSENGER_SETTINGS,
                reg.DeleteTree(MESSENGER_SETTINGS) ? "deleted" : "none");

    char folder[MAX_PATH];
    dlg->GetDlgItemText(IDC_SETUP_DIR, folder, sizeof(folder));
    if (!Unregister(&reg, folder, ctx) && ctx)
        ctx->exitCode = EXIT_NOTHING_TO_UNINSTALL;

    dlg->MessageBox(TEXT_UNINSTALL_DONE, TEXT_NOTICE, MB_OK);
    if (DriveTypeOfPath(folder) != DRIVE_REMOTE && !(ctx && ctx->unattended))
        OpenFolderInShell(folder, ctx);
    if (cfg->delPubKey)
        DeleteKeyContainers(ctx);
    LogStep(ctx, "uninstall: done");
    ::PostQuitMessage(0);
    return TRUE;
}
