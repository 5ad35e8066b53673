// Application object, the process-wide window table and the shared window procedure.
#ifndef TAPP_H
#define TAPP_H

#include <windows.h>

class TWin;

// Class name of every window the framework creates itself.
extern const char APP_CLASS_NAME[];

// Exit code of Run when the main window could not be created.
const int EXIT_NO_MAIN_WINDOW = 1;

extern HINSTANCE appInstance;

class TApp {
public:
    TApp(HINSTANCE instance, LPSTR cmdLine, int cmdShow);
    virtual BOOL RegisterAppClass();
    virtual ~TApp();
    virtual BOOL CreateMainWindow() = 0;
    virtual int Run();

    HMODULE ctl3dModule;
    LPSTR cmdLine;  // not copied
    int cmdShow;
    TWin *mainWnd;  // owned
};

// InitCommonControls, resolved at run time: the common-controls library is no known system
// library, and a program started from a downloads folder must not load it from there.
void LoadCommonControls();

// Offers msg to the PreTranslate of the nearest window object on its window's ancestor
// chain. Non-zero: consumed, not to be translated or dispatched.
BOOL RoutePreTranslate(MSG *msg);

// Window objects by window handle; entries keep the order in which they were added.
struct TWindowTable {
    TWin **entries;
    int count;
};
extern TWindowTable WindowTable;

// The object whose window is being created and has not yet had its first message.
extern TWin *pendingWin;

LRESULT CALLBACK SharedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void SetPendingWindowObject(TWin *win);
void AttachWindowObject(TWin *win, HWND hwnd);
// Out of the table, and without its window (at WM_NCDESTROY).
void DetachWindowObject(TWin *win);
void AddWindowObject(TWin *win);
void RemoveWindowObject(TWin *win);
TWin *FindWindowObject(HWND hwnd);
BOOL IndexOfWindowObject(TWin *win, int *index);

#endif
