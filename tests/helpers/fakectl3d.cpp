// Stand-in for the 3-D control library: records that its two entries were called with the
// calling program's instance.
#include <windows.h>

static int calls;

extern "C" __declspec(dllexport) BOOL WINAPI Ctl3dRegister(HINSTANCE instance)
{
    if (instance == ::GetModuleHandleA(NULL))
        calls |= 4;
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE instance)
{
    if (instance == ::GetModuleHandleA(NULL) && (calls & 4))
        calls |= 8;
    return TRUE;
}

extern "C" __declspec(dllexport) int WINAPI Ctl3dCalls()
{
    return calls;
}
