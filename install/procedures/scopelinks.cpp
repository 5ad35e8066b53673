// Where each scope links, and what an install or an uninstall leaves in each place.
#include "scopelinks.h"
#include "folders.h"
#include "messenger.h"
#include "paths.h"
#include "setuplog.h"
#include "shell.h"
#include "shortcut.h"
#include "tstr.h"

// out = folder + "\\Qwill.lnk" (MAX_PATH bytes); FALSE when that does not fit.
static BOOL LinkPathIn(const char *folder, char *out)
{
    return BoundedFormat(out, MAX_PATH, "%s\\%s", folder, LINK_FILE_NAME);
}

// The person's own shortcuts in a place that a machine install links for all users now (an
// older release linked there): in Startup every messenger shortcut, which would start a second
// messenger at his logon; elsewhere the one to this messenger, a second icon. One to another
// messenger, or with arguments, is not the install's.
static void RemoveOwnDuplicates(const char *own, BOOL startup, const char *exePath, RunContext *ctx)
{
    char linkPath[MAX_PATH];
    if (startup && PurgeProgramLinks(own, MESSENGER_EXE, NULL))
        LogStep(ctx, "shortcuts to the messenger in %s: deleted", own);
    else if (!startup && LinkPathIn(own, linkPath) && ShortcutStarts(linkPath, exePath, TRUE) && DeleteAndNotify(linkPath))
        LogStep(ctx, "shortcut %s: deleted, the one of all users takes its place", linkPath);
}

// The machine's messenger (MAX_PATH bytes), where the Startup of all users starts it.
static BOOL MachineStartsAtLogon(char *messenger)
{
    char folder[MAX_PATH], startup[MAX_PATH];
    return RegisteredFolder(SCOPE_MACHINE, folder) && JoinPath(messenger, folder, MESSENGER_EXE) &&
           ReadShellFolder(TRUE, SHELL_STARTUP, startup) && FolderStarts(startup, MESSENGER_EXE, messenger);
}

void WriteShortcuts(const InstallCfg *cfg, InstallScope scope, const char *exePath, RunContext *ctx)
{
    const int wanted[SHELL_FOLDER_COUNT] = {cfg->startupLink, cfg->programsLink, cfg->desktopLink};
    for (int i = 0; i < SHELL_FOLDER_COUNT; i++) {
        char folder[MAX_PATH], own[MAX_PATH], linkPath[MAX_PATH], machine[MAX_PATH];
        BOOL common = scope == SCOPE_MACHINE && ReadShellFolder(TRUE, (ShellFolder)i, folder);
        if (!common && !ReadShellFolder(FALSE, (ShellFolder)i, folder))
            continue;
        if (common && ReadShellFolder(FALSE, (ShellFolder)i, own) && !SameFile(own, folder))
            RemoveOwnDuplicates(own, i == SHELL_STARTUP, exePath, ctx);
        // a messenger shortcut already in Startup keeps its name
        BOOL reuse = i == SHELL_STARTUP && PurgeProgramLinks(folder, MESSENGER_EXE, linkPath);
        if (!reuse && !LinkPathIn(folder, linkPath))
            continue;
        if (wanted[i] && i == SHELL_STARTUP && scope == SCOPE_USER && MachineStartsAtLogon(machine))
            LogStep(ctx, "shortcut %s: none, the Startup of all users starts the machine's messenger, %s", linkPath, machine);
        else if (wanted[i])
            LogStep(ctx, "shortcut %s: %s", linkPath, CreateShortcut(exePath, linkPath, "") ? "created" : "failed");
        else  // the shortcut reused is already gone
            LogStep(ctx, "shortcut %s: %s", linkPath, DeleteAndNotify(linkPath) || reuse ? "deleted" : "none");
    }
}

// Deletes the messenger's shortcuts in one folder, but those that start keep (may be null).
// TRUE when one was deleted.
static BOOL RemoveShortcutsIn(const char *folder, BOOL startup, const char *keep, RunContext *ctx)
{
    char linkPath[MAX_PATH];
    BOOL deleted = startup && PurgeProgramLinks(folder, MESSENGER_EXE, NULL, keep);
    if (deleted)
        LogStep(ctx, "shortcuts to the messenger in %s: deleted", folder);
    if (!LinkPathIn(folder, linkPath)) {
        return deleted;
    } else if (ShortcutStarts(linkPath, keep)) {
        LogStep(ctx, "shortcut %s: kept, it starts %s", linkPath, keep);
    } else if (DeleteAndNotify(linkPath)) {
        LogStep(ctx, "shortcut %s: deleted", linkPath);
        deleted = TRUE;
    } else {
        LogStep(ctx, "shortcut %s: none", linkPath);
    }
    return deleted;
}

void RemoveShortcuts(BOOL machine, InstallScope staying, const char *keep, RunContext *ctx)
{
    BOOL machineStarted = FALSE;
    char folder[MAX_PATH], own[MAX_PATH], linkPath[MAX_PATH];
    for (int i = 0; i < SHELL_FOLDER_COUNT; i++) {
        BOOL common = ReadShellFolder(TRUE, (ShellFolder)i, folder);
        if (machine && common && RemoveShortcutsIn(folder, i == SHELL_STARTUP, NULL, ctx) && i == SHELL_STARTUP)
            machineStarted = TRUE;
        // the staying install's shortcuts stay where it links: a user's in his own folders, the
        // machine's there only where Windows has no folders of all users
        BOOL keepHere = staying == SCOPE_USER || (staying == SCOPE_MACHINE && !common);
        if (ReadShellFolder(FALSE, (ShellFolder)i, own))
            RemoveShortcutsIn(own, i == SHELL_STARTUP, keepHere ? keep : NULL, ctx);
    }
    // one messenger keeps starting at the person's logon: his own install's, now the machine's went
    if (machineStarted && staying == SCOPE_USER && keep && ReadShellFolder(FALSE, SHELL_STARTUP, own) &&
        !FolderStarts(own, MESSENGER_EXE, keep) && LinkPathIn(own, linkPath))
        LogStep(ctx, "shortcut %s: %s, the messenger installed for this user starts at logon again", linkPath,
                CreateShortcut(keep, linkPath, "") ? "created" : "failed");
}
