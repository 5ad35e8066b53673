// The uninstall procedure: remove links, registry entries and, on request, key containers.
#include "firewall.h"
#include "folders.h"
#include "instances.h"
#include "messenger.h"
#include "paths.h"
#include "procedures.h"
#include "regkeys.h"
#include "resource.h"
#include "scope.h"
#include "scopelinks.h"
#include "setuplog.h"
#include "shell.h"
#include "shortcut.h"
#include "texts.h"
#include "tregist.h"
#include "tstr.h"
#include "tsystem.h"
#include "twin.h"

#include <string.h>
#include <wincrypt.h>

typedef BOOL(WINAPI *AcquireContextFunc)(HCRYPTPROV *, LPCSTR, LPCSTR, DWORD, DWORD);

// Deletes the subkey name of the open key: "deleted", "none", or why it failed (into failure,
// FAILURE_TEXT_SIZE bytes, and *failed set).
static const char *DeleteEntry(TRegist *reg, const char *name, BOOL *failed, char *failure)
{
    if (!reg->OpenKey(name))
        return "none";
    reg->CloseKey();
    if (reg->DeleteKey(name))
        return "deleted";
    *failed = TRUE;
    return FailureText(::GetLastError(), failure, FAILURE_TEXT_SIZE);
}

// Removes the scope's App Paths and Uninstall entries. FALSE when there was neither entry;
// *failed when one stays.
static BOOL Unregister(TRegist *reg, InstallScope scope, BOOL *failed, RunContext *ctx)
{
    static const char *const ENTRIES[][3] = {{KEY_APP_PATHS, "App Paths", SUBKEY_APP_PATH},
                                             {KEY_UNINSTALL, "Uninstall", SUBKEY_UNINSTALL}};
    BOOL found = FALSE;
    LogStep(ctx, "unregister, %s scope", ScopeName(scope));
    reg->SetTopKey(ScopeRoot(scope));
    for (const auto &entry : ENTRIES) {
        char failure[FAILURE_TEXT_SIZE];
        if (!reg->OpenKey(entry[0]))
            continue;
        const char *result = DeleteEntry(reg, entry[2], failed, failure);
        LogStep(ctx, "registry %s\\%s: %s", entry[1], entry[2], result);
        found = found || strcmp(result, "none") != 0;
        reg->CloseKey();
    }
    return found;
}

// failure: FAILURE_TEXT_SIZE bytes for the text of a failed delete
static const char *DeleteContainer(AcquireContextFunc acquire, const char *container, const char *provider,
                                   DWORD keySet, char *failure)
{
    HCRYPTPROV prov;
    if (acquire(&prov, container, provider, PROV_RSA_FULL, CRYPT_DELETEKEYSET | keySet))
        return "deleted";
    DWORD error = ::GetLastError();
    return error == (DWORD)NTE_BAD_KEYSET ? "none" : FailureText(error, failure, FAILURE_TEXT_SIZE);
}

// The messenger's two containers of this user, each in the user key set (unless kept says why
// it stays) and, for the machine scope, in the machine key set (which only an administrator
// may change).
static void DeleteKeyContainers(BOOL machineKeys, const char *kept, RunContext *ctx)
{
    static const struct {
        const char *format, *provider;
    } CONTAINERS[] = {{MESSENGER_CONTAINER_RSA1024, "Microsoft Enhanced Cryptographic Provider v1.0"},
                      {MESSENGER_CONTAINER_RSA512, "Microsoft Base Cryptographic Provider v1.0"}};
    AcquireContextFunc acquire = FunctionOf<AcquireContextFunc>(::LoadLibraryA("advapi32.dll"), "CryptAcquireContextA");
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
        char failure[FAILURE_TEXT_SIZE];
        for (DWORD keySet : KEY_SETS)
            LogStep(ctx, "key container %s, %s key set: %s", container, keySet ? "machine" : "user",
                    keySet && !machineKeys ? "skipped, user scope"
                    : !keySet && kept      ? kept
                                           : DeleteContainer(acquire, container, entry.provider, keySet, failure));
    }
}

// The messenger's settings, which its install in another scope still uses while kept says why.
// FALSE when they are there and stay.
static BOOL DeleteSettings(const char *kept, RunContext *ctx)
{
    TRegist reg(HKEY_CURRENT_USER);
    char failure[FAILURE_TEXT_SIZE];
    const char *result = kept;
    if (!kept) {
        BOOL opened = reg.OpenAppKey(MESSENGER_MAKER, NULL);
        BOOL there = opened && reg.OpenKey(MESSENGER_SETTINGS) && reg.CloseKey();
        result = opened && !there                               ? "none"
                 : opened && reg.DeleteTree(MESSENGER_SETTINGS) ? "deleted"
                                                                : FailureText(::GetLastError(), failure, sizeof(failure));
    }
    LogStep(ctx, "settings software\\%s\\%s: %s", MESSENGER_MAKER, MESSENGER_SETTINGS, result);
    return result != failure;
}

// Chooses what the uninstall removes, from the registered installs and this program's place.
// keep (MAX_PATH bytes): the messenger of a scope that stays installed, or "". folders: each
// scope's registered install folder, or "".
static UninstallChoice PlanUninstall(InstallScope requested, char *keep, char (*folders)[MAX_PATH], RunContext *ctx)
{
    static const char *const NAMES[] = {"machine", "user", "machine and user"};
    int registered = 0, own = 0;
    char setupFolder[MAX_PATH];
    FindSetupFolder(setupFolder);
    for (int scope = SCOPE_MACHINE; scope <= SCOPE_USER; scope++) {
        if (!RegisteredFolder((InstallScope)scope, folders[scope])) {
            folders[scope][0] = 0;
            continue;
        }
        registered |= ScopeBit((InstallScope)scope);
        if (SameFile(folders[scope], setupFolder))
            own |= ScopeBit((InstallScope)scope);
    }
    UninstallChoice plan = ChooseUninstallFrom(requested, ChooseScope(requested), registered, own);
    LogStep(ctx, "scope: %s, %s", NAMES[(plan.scopes >> 1) - 1], plan.reason);
    keep[0] = 0;
    for (int scope = SCOPE_MACHINE; scope <= SCOPE_USER; scope++)
        if (plan.staying & ScopeBit((InstallScope)scope))
            JoinPath(keep, folders[scope], MESSENGER_EXE);
    return plan;
}

// Opens folder in the shell, unless it lies on a network drive. Returns 1 (it was meant to be).
static int OpenForThePerson(const char *folder, RunContext *ctx)
{
    if (DriveTypeOfPath(folder) != DRIVE_REMOTE)
        OpenFolderForPerson(folder, ctx);
    return 1;
}

BOOL RunUninstall(TWin *dlg, const InstallCfg *cfg, RunContext *ctx)
{
    LogStep(ctx, "uninstall");
    char keep[MAX_PATH], folder[MAX_PATH], folders[SCOPE_USER + 1][MAX_PATH];
    UninstallChoice plan = PlanUninstall((InstallScope)cfg->scope, keep, folders, ctx);
    if (!plan.permitted)
        return RefuseWithoutRights(dlg, ctx);
    if (!CloseRunningInstances(dlg, ctx)) {
        LogStep(ctx, "close messenger: declined");
        return FALSE;
    }
    // the files stay, so a messenger that stays does not stop an uninstall the user runs
    if (!EnsureMessengerGone(dlg, ctx, FALSE))
        return FALSE;
    if (Ask(dlg, ctx, QUESTION_START, TEXT_START_NOW, TEXT_UNINSTALL, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
        LogStep(ctx, "start: declined");
        return FALSE;
    }

    // the settings and the user's keys are the person's messenger's, in whichever scope
    BOOL machine = (plan.scopes & ScopeBit(SCOPE_MACHINE)) != 0;
    InstallScope staying = plan.staying & ScopeBit(SCOPE_USER) ? SCOPE_USER : plan.staying ? SCOPE_MACHINE : SCOPE_ANY;
    const char *kept = staying == SCOPE_ANY ? NULL
                       : staying == SCOPE_MACHINE ? "kept, the messenger stays installed (machine scope)"
                                                  : "kept, the messenger stays installed (user scope)";
    RemoveShortcuts(machine, staying, keep[0] ? keep : NULL, ctx);
    BOOL failed = !DeleteSettings(kept, ctx);

    BOOL found = FALSE;
    TRegist reg(HKEY_LOCAL_MACHINE);
    for (int scope = SCOPE_MACHINE; scope <= SCOPE_USER; scope++)
        if (plan.scopes & ScopeBit((InstallScope)scope))
            found = Unregister(&reg, (InstallScope)scope, &failed, ctx) || found;
    // the rules that the machine install made for its messenger go with it
    char messenger[MAX_PATH];
    if (machine && cfg->firewall != FIREWALL_OFF && JoinPath(messenger, folders[SCOPE_MACHINE], MESSENGER_EXE) &&
        folders[SCOPE_MACHINE][0] && !CloseFirewallFor(messenger, ctx))
        failed = TRUE;
    if (ctx)
        ctx->exitCode = failed ? EXIT_INCOMPLETE : found ? EXIT_SETUP_OK : EXIT_NOTHING_TO_UNINSTALL;

    Ask(dlg, ctx, QUESTION_NONE, TEXT_UNINSTALL_DONE, TEXT_NOTICE, MB_OK);
    // the program files stay: each removed install's folder is opened for the person to delete
    // them, or this program's where none was registered
    BOOL unattended = ctx && ctx->unattended;
    int shown = 0;
    for (int scope = SCOPE_MACHINE; scope <= SCOPE_USER && !unattended; scope++) {
        BOOL same = scope == SCOPE_USER && shown && SameFile(folders[SCOPE_USER], folders[SCOPE_MACHINE]);
        if ((plan.scopes & ScopeBit((InstallScope)scope)) && folders[scope][0] && !same)
            shown += OpenForThePerson(folders[scope], ctx);
    }
    if (!shown && !unattended) {
        dlg->GetDlgItemText(IDC_SETUP_DIR, folder, sizeof(folder));
        OpenForThePerson(folder, ctx);
    }
    if (cfg->delPubKey)
        DeleteKeyContainers(machine, kept, ctx);
    LogStep(ctx, "uninstall: done");
    ::PostQuitMessage(0);
    return TRUE;
}
