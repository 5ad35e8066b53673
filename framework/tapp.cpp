// Application object and message loop; window table and the window procedure they share.
#include "tapp.h"
#include "tsystem.h"
#include "ttext.h"
#include "twin.h"

#include <objbase.h>
#include <stdlib.h>
#include <string.h>

const char APP_CLASS_NAME[] = "tapp";

HINSTANCE appInstance;
TWindowTable WindowTable;
TWin *pendingWin;

static const int TABLE_GROWTH = 100;

typedef BOOL(WINAPI *Ctl3dFunc)(HINSTANCE);

static BOOL IsOldWindows()
{
    return WindowsMajor() < 4;
}

TApp::TApp(HINSTANCE instance, LPSTR commandLine, int showCommand)
{
    appInstance = instance;
    mainWnd = NULL;
    cmdLine = commandLine;
    cmdShow = showCommand;
    ::CoInitialize(NULL);

    ctl3dModule = NULL;
    if (IsOldWindows()) {
        ctl3dModule = ::LoadLibraryA("ctl3d32.dll");
        if (ctl3dModule) {
            Ctl3dFunc regist = FunctionOf<Ctl3dFunc>(ctl3dModule, "Ctl3dRegister");
            Ctl3dFunc autoSubclass = FunctionOf<Ctl3dFunc>(ctl3dModule, "Ctl3dAutoSubclass");
            if (regist && autoSubclass) {
                regist(appInstance);
                autoSubclass(appInstance);
            }
        }
    }
    LoadCommonControls();
}

void LoadCommonControls()
{
    typedef void(WINAPI * InitFunc)();
    HMODULE comctl = ::LoadLibraryA("comctl32.dll");
    InitFunc init = comctl ? FunctionOf<InitFunc>(comctl, "InitCommonControls") : NULL;
    if (init)
        init();  // the library stays loaded for the controls it registered
}

TApp::~TApp()
{
    if (mainWnd)
        delete mainWnd;
    if (ctl3dModule)
        ::FreeLibrary(ctl3dModule);
    ::CoUninitialize();
}

BOOL TApp::RegisterAppClass()
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.style = CS_DBLCLKS | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = SharedWndProc;
    wc.hInstance = appInstance;
    wc.hCursor = ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = APP_CLASS_NAME;

    if (::FindWindowA(APP_CLASS_NAME, NULL))
        return TRUE;
    return ::RegisterClassA(&wc) != 0;
}

int TApp::Run()
{
    RegisterAppClass();
    // nothing would ever post WM_QUIT without a main window
    if (!CreateMainWindow())
        return EXIT_NO_MAIN_WINDOW;

    MSG msg;
    while (GetMessageT(&msg) > 0) {
        if (!RoutePreTranslate(&msg)) {
            ::TranslateMessage(&msg);
            DispatchMessageT(&msg);
        }
    }
    return (int)msg.wParam;
}

BOOL RoutePreTranslate(MSG *msg)
{
    for (HWND wnd = msg->hwnd; wnd; wnd = ::GetParent(wnd)) {
        TWin *win = FindWindowObject(wnd);
        if (win)
            return win->PreTranslate(msg);
    }
    return FALSE;
}

LRESULT CALLBACK SharedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWin *win = FindWindowObject(hwnd);
    if (win)
        return win->HandleMessage(msg, wParam, lParam);
    if (pendingWin) {
        win = pendingWin;
        pendingWin = NULL;  // before dispatch: a handler of this message may create a further window
        AttachWindowObject(win, hwnd);
        return win->HandleMessage(msg, wParam, lParam);
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

void SetPendingWindowObject(TWin *win)
{
    pendingWin = win;
}

void AttachWindowObject(TWin *win, HWND hwnd)
{
    win->hWnd = hwnd;
    AddWindowObject(win);
}

void DetachWindowObject(TWin *win)
{
    RemoveWindowObject(win);
    win->hWnd = NULL;
}

void AddWindowObject(TWin *win)
{
    if (FindWindowObject(win->hWnd))
        return;
    if (WindowTable.count % TABLE_GROWTH == 0) {
        TWin **grown = (TWin **)realloc(WindowTable.entries,
                                        (WindowTable.count + TABLE_GROWTH) * sizeof(TWin *));
        if (!grown)
            return;
        WindowTable.entries = grown;
    }
    WindowTable.entries[WindowTable.count++] = win;
}

void RemoveWindowObject(TWin *win)
{
    int i;
    if (IndexOfWindowObject(win, &i)) {
        WindowTable.count--;
        memmove(&WindowTable.entries[i], &WindowTable.entries[i + 1],
                (WindowTable.count - i) * sizeof(TWin *));
    } else if (win == pendingWin) {
        pendingWin = NULL;
    }
}

TWin *FindWindowObject(HWND hwnd)
{
    for (int i = 0; i < WindowTable.count; i++)
        if (WindowTable.entries[i]->hWnd == hwnd)
            return WindowTable.entries[i];
    return NULL;
}

BOOL IndexOfWindowObject(TWin *win, int *index)
{
    for (int i = 0; i < WindowTable.count; i++) {
        if (WindowTable.entries[i] == win) {
            *index = i;
            return TRUE;
        }
    }
    return FALSE;
}
