// The setup program's application object: creates the main window.
#include "setupapp.h"
#include "twin.h"

#include <commctrl.h>

// Placeholder main window until the setup dialog exists: closing it ends the program.
class TStandInWin : public TWin {
public:
    virtual BOOL OnClose()
    {
        ::PostQuitMessage(0);
        return FALSE;
    }
};

TSetupApp::TSetupApp(HINSTANCE instance, LPSTR cmdLine, int cmdShow) : TApp(instance, cmdLine, cmdShow)
{
}

BOOL TSetupApp::CreateMainWindow()
{
    ::InitCommonControls();
    TWin *win = new TStandInWin;
    if (!win)
        return FALSE;
    mainWnd = win;
    win->rect.right = 400;
    win->rect.bottom = 200;
    if (!win->Create(NULL, "Qwill", WS_OVERLAPPEDWINDOW))
        return FALSE;
    win->Show(cmdShow);
    return TRUE;
}
