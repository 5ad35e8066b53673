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
