// The setup program's application object: creates the main dialog, or runs unattended.
#include "setupapp.h"
#include "setupdlg.h"
#include "unattended.h"

TSetupApp::TSetupApp(HINSTANCE instance, LPSTR cmdLine, int cmdShow) : TApp(instance, cmdLine, cmdShow)
{
}

BOOL TSetupApp::CreateMainWindow()
{
    LoadCommonControls();
    InstallCfg cfg;
    SetupSwitches switches;
    InitInstallCfg(&cfg);
    ParseSetupSwitches(cmdLine, &cfg, &switches);
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
