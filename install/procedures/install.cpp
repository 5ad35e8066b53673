// The install procedure: copy (mode 0), link, register, offer to start, quit.
#include "filecopy.h"
#include "firewall.h"
#include "folders.h"
#include "holders.h"
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
#include "ttext.h"
#include "twin.h"

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
    char uninstaller[MAX_PATH];  // the setup program that the Uninstall entry names
};

static BOOL MakeInstallPaths(TWin *dlg, int mode, InstallPaths *p)
{
    dlg->GetDlgItemText(mode == SETUP_MODE_INSTALL ? IDC_INSTALL_DIR : IDC_SETUP_DIR, p->installFolder, MAX_PATH);
    BOOL fits = IsFullPath(p->installFolder) && JoinPath(p->exePath, p->installFolder, MESSENGER_EXE);
    for (int i = 0; i < EXTRA_COUNT; i++)
        fits = fits && JoinPath(p->extraTarget[i], p->installFolder, EXTRA_FILES[i]);
    // registered in place, this very file is the uninstaller, whatever its name
    DWORD len = ::GetModuleFileNameA(NULL, p->uninstaller, MAX_PATH);
    fits = fits && len > 0 && len < MAX_PATH;
    if (mode != SETUP_MODE_INSTALL)
        return fits;

    dlg->GetDlgItemText(IDC_SETUP_DIR, p->setupFolder, MAX_PATH);
    fits = fits && JoinPath(p->sourceExe, p->setupFolder, MESSENGER_EXE) &&
           JoinPath(p->placeholderSourceExe, p->setupFolder, MESSENGER_ORIGINAL);
    for (int i = 0; i < EXTRA_COUNT; i++)
        fits = fits && JoinPath(p->extraSource[i], p->setupFolder, EXTRA_FILES[i]);
    // the setup program installed is this one, whatever name a download gave it
    return fits && BoundedCopy(p->extraSource[0], MAX_PATH, p->uninstaller) &&
           BoundedCopy(p->uninstaller, MAX_PATH, p->extraTarget[0]);
}

// TRUE when the file exists and is smaller than a real messenger.
static BOOL IsPlaceholder(const char *path)
{
    ULONGLONG size;
    return SizeOfFile(path, &size) && (DWORD)size < PLACEHOLDER_EXE_SIZE;  // its low 32 bits, as always
}

// After an ordinary copy: what an earlier run staged for the restart would put an older file
// in place of target, and goes.
static void DropEarlierReplacement(RunContext *ctx, const char *target)
{
    char staged[MAX_PATH], failure[FAILURE_TEXT_SIZE];
    int dropped = DropReplacementAtRestart(target, staged);
    if (dropped > 0)
        LogStep(ctx, "replacement of %s at restart by %s: taken off, the file installed now is newer", target, staged);
    if (dropped >= 0)
        return;
    LogStep(ctx, "replacement of %s at restart by %s: stays, %s", target, staged,
            FailureText(::GetLastError(), failure, sizeof(failure)));
    if (ctx && ctx->exitCode == EXIT_SETUP_OK)
        ctx->exitCode = EXIT_INCOMPLETE;
}

// holder: the process that runs target, which is replaced when Windows restarts; may be none.
static BOOL CopyOneFile(TWin *dlg, RunContext *ctx, const char *source, const char *target,
                        const ProgramHolder *holder = NULL)
{
    // run from the install folder (a repair): the file is where it belongs, and may be running
    if (SameFile(source, target)) {
        LogStep(ctx, "copy %s -> %s: the same file, kept", source, target);
        return TRUE;
    }
    char staged[MAX_PATH], failure[FAILURE_TEXT_SIZE];
    BOOL copied = holder ? CopyAtRestart(source, target, staged) : CopyReplacing(source, target);
    if (!copied)
        FailureText(::GetLastError(), failure, sizeof(failure));
    if (holder)
        LogStep(ctx, "copy %s -> %s: in use by process %lu, %s%s", source, target, holder->processId,
                copied ? "replaced at restart by " : failure, copied ? staged : "");
    else
        LogStep(ctx, "copy %s -> %s: %s", source, target, copied ? "ok" : failure);
    if (copied) {
        if (!holder)
            DropEarlierReplacement(ctx, target);
        return TRUE;
    }
    // what an earlier run staged still comes with the restart
    if (ListedAtRestart(target, staged))
        LogStep(ctx, "replacement of %s at restart by %s: kept", target, staged);
    if (ctx)
        ctx->exitCode = EXIT_COPY_FAILED;
    char shown[MAX_PATH];
    SystemTextAsProgramText(target, shown, sizeof(shown));
    Ask(dlg, ctx, QUESTION_NONE, shown, TEXT_CANNOT_CREATE_FILE, MB_OK);
    return FALSE;
}

static const char *MessengerSource(const InstallPaths *p)
{
    return IsPlaceholder(p->sourceExe) ? p->placeholderSourceExe : p->sourceExe;
}

static BOOL CopyProgramFiles(TWin *dlg, RunContext *ctx, const InstallPaths *p, const ProgramHolder *holder)
{
    // an installed placeholder is the packager's choice and stays
    if (IsPlaceholder(p->exePath))
        LogStep(ctx, "keep %s: placeholder", p->exePath);
    else if (!CopyOneFile(dlg, ctx, MessengerSource(p), p->exePath, holder))
        return FALSE;
    for (int i = 0; i < EXTRA_COUNT; i++)
        if (!CopyOneFile(dlg, ctx, p->extraSource[i], p->extraTarget[i]))
            return FALSE;
    return TRUE;
}

// Size of the three files in the registered folder in KiB, for Add/Remove Programs.
static DWORD InstalledKiB(const InstallPaths *p)
{
    const char *files[] = {p->exePath, p->extraTarget[0], p->extraTarget[1]};
    ULONGLONG bytes = 0, size;
    for (const char *file : files)
        if (SizeOfFile(file, &size))
            bytes += size;
    return (DWORD)((bytes + 1023) / 1024);
}

// TRUE only when every value was written.
static BOOL WriteUninstallEntry(TRegist *reg, InstallScope scope, const InstallPaths *p, const char *setupPath)
{
    char command[MAX_PATH + 20], quietCommand[MAX_PATH + 24];
    // quoted, so that a folder with spaces cannot start another program; a user's entry names
    // its scope, so that it removes that scope also where the machine's install lies
    const char *scopeSwitch = scope == SCOPE_USER ? " /peruser" : "";
    BoundedFormat(command, sizeof(command), "\"%s\" /r%s", setupPath, scopeSwitch);
    BoundedFormat(quietCommand, sizeof(quietCommand), "\"%s\" /r /s%s", setupPath, scopeSwitch);
    BOOL written = reg->SetText(VALUE_DISPLAY_NAME, TEXT_PRODUCT_NAME);
    written = reg->SetString(VALUE_UNINSTALL_STRING, command) && written;
    written = reg->SetString("QuietUninstallString", quietCommand) && written;
    written = reg->SetString("DisplayIcon", p->exePath) && written;
    written = reg->SetText("DisplayVersion", TEXT_VERSION) && written;
    written = reg->SetString("InstallLocation", p->installFolder) && written;
    written = reg->SetText("Publisher", TEXT_PUBLISHER) && written;
    written = reg->SetDword("EstimatedSize", InstalledKiB(p)) && written;
    written = reg->SetDword("NoModify", 1) && written;
    written = reg->SetDword("NoRepair", 1) && written;
    return written;
}

// failure: FAILURE_TEXT_SIZE bytes for the text of a failed write
static const char *Written(BOOL opened, BOOL written, char *failure)
{
    DWORD error = ::GetLastError();
    return !opened ? "skipped: key not opened" : written ? "written" : FailureText(error, failure, FAILURE_TEXT_SIZE);
}

// FALSE when the Uninstall entry could not be written: without it the program cannot be
// removed from Add/Remove Programs.
static BOOL Register(TRegist *reg, InstallScope scope, const InstallPaths *p, RunContext *ctx)
{
    reg->SetTopKey(ScopeRoot(scope));
    BOOL opened = FALSE, written = FALSE;
    char failure[FAILURE_TEXT_SIZE];
    // every Windows has the machine's parent keys; a user's may lack them
    BOOL createParents = scope == SCOPE_USER;
    if (reg->OpenKey(KEY_APP_PATHS, createParents)) {
        if (reg->OpenKey(SUBKEY_APP_PATH, TRUE)) {
            opened = TRUE;
            written = reg->SetString(NULL, p->exePath);
            written = reg->SetString(VALUE_PATH, p->installFolder) && written;
            reg->CloseKey();
        }
        reg->CloseKey();
    }
    LogStep(ctx, "registry App Paths\\%s: %s", SUBKEY_APP_PATH, Written(opened, written, failure));

    opened = written = FALSE;
    if (reg->OpenKey(KEY_UNINSTALL, createParents)) {
        if (reg->OpenKey(SUBKEY_UNINSTALL, TRUE)) {
            opened = TRUE;
            written = WriteUninstallEntry(reg, scope, p, p->uninstaller);
            reg->CloseKey();
        }
        reg->CloseKey();
    }
    LogStep(ctx, "registry Uninstall\\%s: %s, uninstaller %s", SUBKEY_UNINSTALL, Written(opened, written, failure), p->uninstaller);
    return written;
}

// A machine install opens the firewall to the messenger it registered; one for a user writes
// nothing outside the user's profile, and a rule is the whole machine's.
static void AllowThroughFirewall(const InstallCfg *cfg, InstallScope scope, const InstallPaths *p, RunContext *ctx)
{
    if (cfg->firewall == FIREWALL_OFF)
        LogStep(ctx, "firewall: /firewall=off, no rule written or removed");
    else if (scope != SCOPE_MACHINE)
        LogStep(ctx, "firewall: user scope, no rule");
    else if (!OpenFirewallFor(p->exePath, cfg->firewall, ctx) && ctx && ctx->exitCode == EXIT_SETUP_OK)
        ctx->exitCode = EXIT_INCOMPLETE;
}

// Starts the installed messenger and logs why and how.
static void StartMessenger(const char *program, const char *folder, const char *why, RunContext *ctx)
{
    char failure[FAILURE_TEXT_SIZE];
    LogStep(ctx, "start %s: %s, %s", program, StartProgram(program, folder, failure), why);
}

// With the dialog, offers to start the messenger, unless the new one comes only with a restart.
// An unattended upgrade starts again the messenger it closed in this session.
static void StartAfterInstall(TWin *dlg, const InstallPaths *p, BOOL atRestart, RunContext *ctx)
{
    BOOL start = FALSE;
    if (atRestart)
        Ask(dlg, ctx, QUESTION_NONE, TEXT_UPDATED_AT_RESTART, TEXT_INSTALL, MB_OK | MB_ICONINFORMATION);
    else
        start = Ask(dlg, ctx, QUESTION_START_MESSENGER, TEXT_INSTALL_DONE, TEXT_INSTALL,
                    MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
    if (start)
        StartMessenger(p->exePath, p->installFolder, "asked for", ctx);
    else if (ctx && ctx->unattended && ClosedMessengers())
        StartMessenger(p->exePath, p->installFolder, "closed for the upgrade", ctx);
    else
        LogStep(ctx, "start %s: not asked for", p->exePath);
}

// Windows 2000 on replace a held file at the next start for those who may change the machine.
static BOOL MayScheduleAtRestart(const ScopeChoice &scope)
{
    return scope.scope == SCOPE_MACHINE && scope.mayChangeMachine && !IsWindows9x();
}

// TRUE when a messenger may hold the installed qwill.exe: it is there, a real messenger, and
// not the very file that is to be installed. Else no process is worth looking through.
static BOOL MayBeHeld(const InstallPaths *p)
{
    ULONGLONG size;
    return SizeOfFile(p->exePath, &size) && (DWORD)size >= PLACEHOLDER_EXE_SIZE && !SameFile(MessengerSource(p), p->exePath);
}

// A messenger the close step cannot reach (another session, another desktop) that runs the
// installed qwill.exe: *holder names it. except: processes that do not count (the close step's,
// count of them). FALSE when the install stops: where the file cannot be replaced at restart,
// it stays as it is (the user may retry with the dialog).
static BOOL CheckForHolder(TWin *dlg, const InstallPaths *p, const ScopeChoice &scope, ProgramHolder *holder,
                           BOOL *held, const DWORD *except, int count, RunContext *ctx)
{
    while ((*held = MayBeHeld(p) && FindProgramHolder(p->exePath, holder, except, count))) {
        char program[MAX_PATH], shown[MAX_PATH], text[MAX_PATH + 64];
        ProgramOfProcess(holder->processId, program, sizeof(program), MESSENGER_EXE);
        LogStep(ctx, "messenger in another session: %s, process %lu, session %ld", program, holder->processId,
                holder->sessionKnown ? (long)holder->sessionId : -1L);
        if (MayScheduleAtRestart(scope))
            return TRUE;
        if (ctx && ctx->unattended) {
            ctx->exitCode = EXIT_MESSENGER_RUNNING;
            return FALSE;
        }
        SystemTextAsProgramText(program, shown, sizeof(shown));
        BoundedFormat(text, sizeof(text), TEXT_RUNS_ELSEWHERE, shown, holder->processId);
        if (Ask(dlg, ctx, QUESTION_RETRY, text, TEXT_NOTICE, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            return FALSE;
    }
    return TRUE;
}

static const int MAX_MESSENGERS_HERE = 16;

BOOL RunInstall(TWin *dlg, const InstallCfg *cfg, RunContext *ctx)
{
    LogStep(ctx, "install, mode %d", cfg->mode);
    ScopeChoice scope = ChooseScope((InstallScope)cfg->scope);
    LogStep(ctx, "scope: %s, %s", ScopeName(scope.scope), scope.reason);
    if (!scope.permitted)
        return RefuseWithoutRights(dlg, ctx);
    InstallPaths paths;
    paths.installFolder[0] = 0;
    BOOL made = MakeInstallPaths(dlg, cfg->mode, &paths), copies = made && cfg->mode == SETUP_MODE_INSTALL;
    ProgramHolder holder;
    BOOL held = FALSE;
    // where a messenger elsewhere stops the install, it is looked for before this session's is closed
    if (copies && !MayScheduleAtRestart(scope)) {
        DWORD here[MAX_MESSENGERS_HERE];
        if (!CheckForHolder(dlg, &paths, scope, &holder, &held, here, MessengersHere(here, MAX_MESSENGERS_HERE), ctx))
            return FALSE;
    }
    if (!CloseRunningInstances(dlg, ctx)) {
        LogStep(ctx, "close messenger: declined");
        return FALSE;
    }
    if (!EnsureMessengerGone(dlg, ctx, TRUE))
        return FALSE;

    // the user's own program folder is made only for an install into it
    if (copies && scope.scope == SCOPE_USER)
        MakeUserProgramFolderFor(paths.installFolder);
    if (!made || !EnsureFolder(paths.installFolder)) {
        LogStep(ctx, "install folder %s: cannot be created", paths.installFolder);
        if (ctx)
            ctx->exitCode = EXIT_NO_INSTALL_FOLDER;
        Ask(dlg, ctx, QUESTION_NONE, TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
        return FALSE;
    }
    LogStep(ctx, "install folder %s: ok", paths.installFolder);
    if (copies && !CheckForHolder(dlg, &paths, scope, &holder, &held, NULL, 0, ctx)) {
        // one that came up since the first look: what this run closed comes back
        if (ctx && ctx->unattended && ClosedMessengers())
            StartMessenger(paths.exePath, paths.installFolder, "closed for the upgrade", ctx);
        return FALSE;
    }
    if (Ask(dlg, ctx, QUESTION_START, TEXT_START_NOW, TEXT_INSTALL, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
        LogStep(ctx, "start: declined");
        return FALSE;
    }
    if (copies && !CopyProgramFiles(dlg, ctx, &paths, held ? &holder : NULL))
        return FALSE;

    TRegist reg(HKEY_CURRENT_USER);
    WriteShortcuts(cfg, scope.scope, paths.exePath, ctx);
    if (!Register(&reg, scope.scope, &paths, ctx) && ctx)
        ctx->exitCode = EXIT_INCOMPLETE;
    AllowThroughFirewall(cfg, scope.scope, &paths, ctx);
    if (held && ctx && ctx->exitCode == EXIT_SETUP_OK)
        ctx->exitCode = EXIT_RESTART_NEEDED;
    StartAfterInstall(dlg, &paths, held, ctx);
    if (cfg->mode == SETUP_MODE_INSTALL && !(ctx && ctx->unattended))
        OpenFolderForPerson(paths.installFolder, ctx);
    LogStep(ctx, "install: done");
    ::PostQuitMessage(0);
    return TRUE;
}
