// The setup program's application object: creates the main dialog.
#include "setupapp.h"
#include "setupdlg.h"

#include <commctrl.h>

TSetupApp::TSetupApp(HINSTANCE instance, LPSTR cmdLine, int cmdShow) : TApp(instance, cmdLine, cmdShow)
{
}

BOOL TSetupApp::CreateMainWindow()
{
    ::InitCommonControls();
    TSetupDlg *dlg = new TSetupDlg(cmdLine);
    if (!dlg)
        return FALSE;
    mainWnd = dlg;
    return dlg->Create();
}
