// The setup program's application object: creates the main dialog, or runs unattended.
#include "setupapp.h"
#include "procedures.h"
#include "setupdlg.h"
#include "setuplog.h"
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

BOOL TSetupApp::CreateMainWindow()
{
    LoadCommonControls();
    InstallCfg cfg;
    SetupSwitches switches;
    InitInstallCfg(&cfg);
    ParseSetupSwitches(cmdLine, &cfg, &switches);
    if (!ClaimSetupMutex(&setupMutex)) {
        TSetupLog log(switches.logFile);
        log.Line("another setup is running");
        log.Line("exit code %d", EXIT_ANOTHER_SETUP);
        if (!switches.silent)
            ::EnumWindows(BringSetupDialogToFront, 0);
        ::PostQuitMessage(EXIT_ANOTHER_SETUP);
        return TRUE;
    }
    if (switches.silent) {
        int exitCode = RunUnattended(&cfg, &switches);
        // the procedure's own quit request gives way to the exit code
        MSG quit;
        ::PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        ::PostQuitMessage(exitCode);
        return TRUE;
    }

    TSetupDlg *dlg = new TSetupDlg(cmdLine, switches.logFile);
    if (!dlg)
        return FALSE;
    mainWnd = dlg;
    return dlg->Create();
}
