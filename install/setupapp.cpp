// The setup program's application object: creates the main dialog, or runs unattended.
#include "setupapp.h"
#include "procedures.h"
#include "setupdlg.h"
#include "scope.h"
#include "texts.h"
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

// FALSE where Windows says that no person can see this process's window station: a service,
// or session 0, where an engine running as SYSTEM starts its programs. Systems without window
// stations (9x) say nothing.
static BOOL SeenByAPerson()
{
    typedef HWINSTA(WINAPI * StationFunc)();
    typedef BOOL(WINAPI * ObjectInfoFunc)(HANDLE, int, PVOID, DWORD, LPDWORD);
    HMODULE user = ::GetModuleHandleA("user32.dll");
    StationFunc station = (StationFunc)(void *)::GetProcAddress(user, "GetProcessWindowStation");
    ObjectInfoFunc information = (ObjectInfoFunc)(void *)::GetProcAddress(user, "GetUserObjectInformationA");
    USEROBJECTFLAGS flags;
    DWORD size;
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
    LoadCommonControls();
    InstallCfg cfg;
    SetupSwitches switches;
    InitInstallCfg(&cfg);
    ParseSetupSwitches(cmdLine, &cfg, &switches);
    // a run asked to keep a log keeps one, or changes nothing
    if (!log.Open(switches.logFile)) {
        char shown[MAX_PATH];
        if (!switches.silent && SystemTextAsProgramText(switches.logFile, shown, sizeof(shown)))
            ShowMessageBox(NULL, shown, TEXT_CANNOT_CREATE_FILE, MB_OK);
        return Quit(EXIT_LOG_FAILED);
    }
    // the header asks the token twice: only for a log
    if (switches.logFile[0]) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        ScopeChoice scope = ChooseScope((InstallScope)cfg.scope);
        log.Line("==== %04u-%02u-%02u, Qwill setup %s, command line: %s, scope: %s, %s", now.wYear, now.wMonth,
                 now.wDay, TEXT_VERSION, ::GetCommandLineA(), ScopeName(scope.scope),
                 ProcessIsElevated() ? "elevated" : "not elevated");
    }
    if (switches.silent && switches.unknown[0]) {
        log.Line("unknown switch %s: nothing changed", switches.unknown);
        return Quit(EXIT_UNKNOWN_SWITCH);
    }
    if (!switches.silent && !SeenByAPerson()) {
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
