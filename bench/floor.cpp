// The benchmark's floor: the least a Windows program does to show a dialog, one empty dialog
// from a template in memory, which closes itself a moment later. Its start-up is what any
// program pays under this Wine; setup.exe's is reported as a ratio to it. Arguments add the
// start-up steps of setup.exe one by one, to tell where its extra time goes:
//   ole      CoInitialize (loads the COM libraries)
//   comctl   loads the common-controls library and calls InitCommonControls
//   shell    loads the shell library, which setup.exe imports
#include <windows.h>
#include <string.h>

static INT_PTR CALLBACK FloorProc(HWND dialog, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        SetTimer(dialog, 1, 1000, NULL);
        return TRUE;
    }
    if (msg == WM_TIMER || msg == WM_COMMAND) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

static FARPROC Function(const char *library, const char *name)
{
    HMODULE module = LoadLibraryA(library);
    return module ? GetProcAddress(module, name) : NULL;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int)
{
    typedef HRESULT(WINAPI * CoInitializeFunc)(void *);
    typedef void(WINAPI * InitFunc)();
    if (strstr(cmdLine, "ole")) {
        CoInitializeFunc init = (CoInitializeFunc)(void *)Function("ole32.dll", "CoInitialize");
        if (init)
            init(NULL);
    }
    if (strstr(cmdLine, "comctl")) {
        InitFunc init = (InitFunc)(void *)Function("comctl32.dll", "InitCommonControls");
        if (init)
            init();
    }
    if (strstr(cmdLine, "shell"))
        LoadLibraryA("shell32.dll");

    // DLGTEMPLATE, then empty menu, class and title arrays
    static const WORD templ[] = {
        LOWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_CENTER | DS_MODALFRAME),
        HIWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_CENTER | DS_MODALFRAME),
        0, 0,        // extended style
        0,           // no controls
        0, 0, 200, 120,
        0, 0, 0};
    return (int)DialogBoxIndirectParamA(instance, (LPCDLGTEMPLATEA)templ, NULL, FloorProc, 0);
}

// Started as setup.exe is, without the C runtime's start-up code.
extern "C" void WinMainCRTStartup()
{
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT));
}
