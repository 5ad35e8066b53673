// Builds an application object and reports through its exit code what it did with ctl3d32.dll.
#include "tapp.h"

namespace {
class TProbeApp : public TApp {
public:
    TProbeApp() : TApp(::GetModuleHandleA(NULL), NULL, SW_SHOW) {}
    BOOL CreateMainWindow() override { return FALSE; }
};
typedef int(WINAPI *CallsFunc)();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int result = 0;
    if (LOBYTE(LOWORD(::GetVersion())) < 4)
        result |= 1;
    {
        TProbeApp app;
        if (app.ctl3dModule) {
            result |= 2;
            CallsFunc calls = (CallsFunc)(void *)::GetProcAddress(app.ctl3dModule, "Ctl3dCalls");
            if (calls)
                result |= calls();
        }
    }
    if (!::GetModuleHandleA("ctl3d32.dll"))
        result |= 16;
    return result;
}
