// Test helpers: the framework's window class, and bounded waits that keep messages flowing.
#include "winwait.h"
#include "tapp.h"

#include <string.h>

namespace {
class TTestApp : public TApp {
public:
    TTestApp() : TApp(::GetModuleHandleA(NULL), NULL, SW_SHOWNORMAL) {}
    BOOL CreateMainWindow() override { return TRUE; }
};
}

void EnsureAppClass()
{
    static TTestApp *app;
    if (!app) {
        app = new TTestApp;  // lives for the whole test program
        app->RegisterAppClass();
    }
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()> &done, int timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (done())
            return true;
        if ((int)(::GetTickCount() - start) > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

const char *ProgramFolder()
{
    static char folder[MAX_PATH];
    if (!folder[0]) {
        ::GetModuleFileNameA(NULL, folder, sizeof(folder));
        char *slash = strrchr(folder, '\\');
        if (slash)
            slash[1] = 0;
    }
    return folder;
}

namespace {
struct WindowSearch {
    DWORD processId;
    const char *className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND wnd, LPARAM param)
{
    WindowSearch *search = (WindowSearch *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != search->processId)
        return TRUE;
    char cls[256] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    if (search->className && _stricmp(cls, search->className) != 0)
        return TRUE;
    if (strcmp(cls, "IME") == 0)
        return TRUE;
    search->found = wnd;
    return FALSE;
}
}  // namespace

HWND TopWindowOfProcess(DWORD processId, const char *className)
{
    WindowSearch search = {processId, className, NULL};
    EnumWindows(MatchWindow, (LPARAM)&search);
    return search.found;
}
