// The uninstall procedure: remove links, registry entries and, on request, key containers.
#include "folders.h"
#include "instances.h"
#include "openfolder.h"
#include "paths.h"
#include "procedures.h"
#include "regkeys.h"
#include "resource.h"
#include "scope.h"
#include "setuplog.h"
#include "shellfolders.h"
#include "shortcut.h"
#include "texts.h"
#include "tregist.h"
#include "tstr.h"
#include "twin.h"

#include <wincrypt.h>

typedef BOOL(WINAPI *AcquireContextFunc)(HCRYPTPROV *, LPCSTR, LPCSTR, DWORD, DWORD);

// keep: the messenger of a scope that stays installed, whose shortcuts stay; may be null.
static void RemoveShortcuts(TRegist *reg, const char *keep, RunContext *ctx)
{
    if (!OpenShellFolders(reg))
        return;
    for (int i = 0; i < SHELL_FOLDER_COUNT; i++) {
        char folder[MAX_PATH], linkPath[MAX_PATH];
        if (!ReadShellFolder(reg, (ShellFolder)i, folder))
            continue;
        if (i == SHELL_STARTUP && PurgeProgramLinks(folder, NULL, keep))
            LogStep(ctx, "shortcuts to the messenger in %s: deleted", folder);
        if (!LinkPathIn(folder, linkPath))
            continue;
        if (ShortcutStarts(linkPath, keep))
            LogStep(ctx, "shortcut %s: kept, it starts %s", linkPath, keep);
        else
            LogStep(ctx, "shortcut %s: %s", linkPath, DeleteAndNotify(linkPath) ? "deleted" : "none");
    }
    reg->CloseKey();
}

// Removes the scope's App Paths and Uninstall entries; folder becomes the registered install
// folder when there is one. FALSE when there was neither entry.
static BOOL Unregister(TRegist *reg, InstallScope scope, char *folder, RunContext *ctx)
{
    BOOL found = FALSE;
    LogStep(ctx, "unregister, %s scope", ScopeName(scope));
    char registered[MAX_PATH];
    if (RegisteredFolder(scope, registered))
        BoundedCopy(folder, MAX_PATH, registered);
    reg->SetTopKey(ScopeRoot(scope));
    if (reg->OpenKey(KEY_APP_PATHS, FALSE)) {
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

// The messenger's two containers of this user, each in the user key set and, for the machine
// scope, in the machine key set (which only an administrator may change).
static void DeleteKeyContainers(BOOL machineKeys, RunContext *ctx)
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
                    keySet && !machineKeys ? "skipped, user scope"
                                           : DeleteContainer(acquire, container, entry.provider, keySet));
    }
}

static int Bit(int scope)
{
    return 1 << scope;
}

// The scopes (their bits) an uninstall removes: the one asked for; else the one whose install
// folder this program lies in (it is that install's uninstaller); else every scope the
// messenger is registered in that the rights reach, or the chosen one when there is none.
// keep (MAX_PATH bytes): the messenger of a scope that stays installed, or "".
static int ScopesToUninstall(InstallScope requested, const ScopeChoice &choice, char *keep, RunContext *ctx)
{
    static const char *const NAMES[] = {"machine", "user", "machine and user"};
    int registered = 0, own = 0;
    char setupFolder[MAX_PATH], folders[SCOPE_USER + 1][MAX_PATH];
    FindSetupFolder(setupFolder);
    for (int scope = SCOPE_MACHINE; scope <= SCOPE_USER; scope++) {
        if (!RegisteredFolder((InstallScope)scope, folders[scope]))
            continue;
        registered |= Bit(scope);
        // a standard user cannot change the machine's entries
        if (scope >= choice.scope && SameFile(folders[scope], setupFolder))
            own |= Bit(scope);
    }
    int reached = choice.scope == SCOPE_USER ? registered & Bit(SCOPE_USER) : registered;
    int scopes = requested ? Bit(requested) : own ? own : reached ? reached : Bit(choice.scope);
    LogStep(ctx, "scope: %s, %s", NAMES[(scopes >> 1) - 1],
            requested || !reached ? choice.reason : own ? "the install this program belongs to" : "registered");
    keep[0] = 0;
    for (int scope = SCOPE_MACHINE; scope <= SCOPE_USER; scope++)
        if ((registered & ~scopes) & Bit(scope))
            JoinPath(keep, folders[scope], MESSENGER_EXE);
    return scopes;
}

BOOL RunUninstall(TWin *dlg, const InstallCfg *cfg, RunContext *ctx)
{
    LogStep(ctx, "uninstall");
    InstallScope requested = (InstallScope)cfg->scope;
    char keep[MAX_PATH], folder[MAX_PATH];
    int scopes = ScopesToUninstall(requested, ChooseScope(requested), keep, ctx);
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

    // the shortcuts are the user's: those of a scope that stays installed stay
    TRegist reg(HKEY_CURRENT_USER);
    RemoveShortcuts(&reg, keep[0] ? keep : NULL, ctx);
    if (reg.OpenAppKey(MESSENGER_MAKER, NULL)) {
        BOOL there = reg.OpenKey(MESSENGER_SETTINGS, FALSE) && reg.CloseKey();
        LogStep(ctx, "settings software\\%s\\%s: %s", MESSENGER_MAKER, MESSENGER_SETTINGS,
                !there ? "none" : reg.DeleteTree(MESSENGER_SETTINGS) ? "deleted" : "failed");
    }

    dlg->GetDlgItemText(IDC_SETUP_DIR, folder, sizeof(folder));
    BOOL found = FALSE;
    for (int scope = SCOPE_MACHINE; scope <= SCOPE_USER; scope++)
        if (scopes & Bit(scope))
            found = Unregister(&reg, (InstallScope)scope, folder, ctx) || found;
    if (!found && ctx)
        ctx->exitCode = EXIT_NOTHING_TO_UNINSTALL;

    dlg->MessageBox(TEXT_UNINSTALL_DONE, TEXT_NOTICE, MB_OK);
    if (DriveTypeOfPath(folder) != DRIVE_REMOTE && !(ctx && ctx->unattended))
        OpenFolderInShell(folder, ctx);
    if (cfg->delPubKey)
        DeleteKeyContainers(scopes & Bit(SCOPE_MACHINE), ctx);
    LogStep(ctx, "uninstall: done");
    ::PostQuitMessage(0);
    return TRUE;
}
