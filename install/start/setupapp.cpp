// The setup program's application object: creates the main dialog, or runs unattended.
#include "setupapp.h"
#include "procedures.h"
#include "rights.h"
#include "scope.h"
#include "setupdlg.h"
#include "texts.h"
#include "tstr.h"
#include "tsystem.h"
#include "ttext.h"
#include "unattended.h"

// Two setups at once would write the same files and keys. The name is in the global
// namespace, so that it holds across the sessions of several users.
static const char SETUP_MUTEX_NAME[] = "Global\\QwillSetup";
static const char LOCAL_MUTEX_NAME[] = "QwillSetup";  // systems without a global namespace

TSetupApp::TSetupApp(HINSTANCE instance, LPSTR cmdLine, int cmdShow) : TApp(instance, cmdLine, cmdShow), setupMutex(NULL)
{
}

TSetupApp::~TSetupApp()
{
    if (setupMutex)
        ::CloseHandle(setupMutex);
}

// FALSE when another setup holds the mutex (one of another user may deny us even to open it).
static BOOL ClaimSetupMutex(HANDLE *mutex)
{
    *mutex = ::CreateMutexA(NULL, FALSE, SETUP_MUTEX_NAME);
    if (!*mutex && ::GetLastError() != ERROR_ACCESS_DENIED)
        *mutex = ::CreateMutexA(NULL, FALSE, LOCAL_MUTEX_NAME);
    if (!*mutex)
        return ::GetLastError() != ERROR_ACCESS_DENIED;
    return ::GetLastError() != ERROR_ALREADY_EXISTS;
}

static BOOL CALLBACK BringSetupDialogToFront(HWND wnd, LPARAM)
{
    if (!::GetPropA(wnd, SETUP_DIALOG_PROP))
        return TRUE;
    if (::IsIconic(wnd))
        ::ShowWindow(wnd, SW_RESTORE);
    ::SetForegroundWindow(wnd);
    return FALSE;
}

// FALSE where no person can see this process's windows: a window station that Windows says is
// not visible (a service's), or, Vista on, session 0, which holds the services alone whatever its
// station says (an engine running as SYSTEM starts its programs there). Systems without window
// stations (9x) say nothing.
static BOOL SeenByAPerson()
{
    typedef HWINSTA(WINAPI * StationFunc)();
    typedef BOOL(WINAPI * ObjectInfoFunc)(HANDLE, int, PVOID, DWORD, LPDWORD);
    typedef BOOL(WINAPI * SessionOfFunc)(DWORD, DWORD *);
    HMODULE user = ::GetModuleHandleA("user32.dll");
    StationFunc station = FunctionOf<StationFunc>(user, "GetProcessWindowStation");
    ObjectInfoFunc information = FunctionOf<ObjectInfoFunc>(user, "GetUserObjectInformationA");
    SessionOfFunc sessionOf = FunctionOf<SessionOfFunc>("kernel32.dll", "ProcessIdToSessionId");
    USEROBJECTFLAGS flags;
    DWORD size, session;
    if (WindowsMajor() >= 6 && sessionOf && sessionOf(::GetCurrentProcessId(), &session) && session == 0)
        return FALSE;
    return !station || !information || !information(station(), UOI_FLAGS, &flags, sizeof(flags), &size) ||
           (flags.dwFlags & WSF_VISIBLE);
}

BOOL TSetupApp::Quit(int exitCode)
{
    ::PostQuitMessage(exitCode);
    return TRUE;
}

int TSetupApp::Run()
{
    int exitCode = TApp::Run();
    log.Line("exit code %d", exitCode);
    return exitCode;
}

BOOL TSetupApp::CreateMainWindow()
{
    InstallCfg cfg;
    SetupSwitches switches;
    InitInstallCfg(&cfg);
    ParseSetupSwitches(cmdLine, &cfg, &switches);
    // a run asked to keep a log keeps one, or changes nothing; a box only where a person sees it
    BOOL seen = !switches.silent && SeenByAPerson();
    if (!log.Open(switches.logFile, switches.logGiven, switches.logGiven && ProcessIsElevated())) {
        char shown[MAX_PATH];
        if (seen && SystemTextAsProgramText(switches.logFile, shown, sizeof(shown)))
            ShowMessageBox(NULL, shown, TEXT_CANNOT_CREATE_FILE, MB_OK);
        return Quit(EXIT_LOG_FAILED);
    }
    // the header asks the token twice: only for a log
    if (switches.logGiven) {
        SYSTEMTIME now;
        char before[64], after[64];
        ::GetLocalTime(&now);
        ScopeChoice scope = ChooseScope((InstallScope)cfg.scope);
        BoundedFormat(before, sizeof(before), "==== %04u-%02u-%02u, Qwill setup %s, command line: ", now.wYear,
                      now.wMonth, now.wDay, TEXT_VERSION);
        BoundedFormat(after, sizeof(after), ", scope: %s, %s", ScopeName(scope.scope),
                      ProcessIsElevated() ? "elevated" : "not elevated");
        log.CommandLine(before, after);
    }
    if (switches.silent && switches.unknown[0]) {
        log.Line("unknown switch %s: nothing changed", switches.unknown);
        return Quit(EXIT_UNKNOWN_SWITCH);
    }
    if (!switches.silent && !seen) {
        log.Line("no dialog: no one can see this window station (a service, or session 0); /s runs unattended");
        return Quit(EXIT_NO_MAIN_WINDOW);
    }
    if (!ClaimSetupMutex(&setupMutex)) {
        log.Line("another setup is running");
        if (!switches.silent)
            ::EnumWindows(BringSetupDialogToFront, 0);
        return Quit(EXIT_ANOTHER_SETUP);
    }
    if (switches.silent) {
        int exitCode = RunUnattended(&cfg, &switches, &log);
        // the procedure's own quit request gives way to the exit code
        MSG quit;
        ::PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        return Quit(exitCode);
    }

    TSetupDlg *dlg = new TSetupDlg(cmdLine, &log);
    if (!dlg)
        return FALSE;
    mainWnd = dlg;
    return dlg->Create();
}
