// setup.exe's start, for the floors that do the same work as it (install/start/main.cpp,
// framework/tapp.cpp): library loads from the system folder only, COM, and the common controls
// loaded at run time and initialised. Their programs carry setup.exe's manifest too.
#ifndef SETUPSTART_H
#define SETUPSTART_H

#include <windows.h>
#include <objbase.h>

static void StartAsSetup()
{
    typedef BOOL(WINAPI * SetDefaultDirsFunc)(DWORD);
    typedef BOOL(WINAPI * SetDllDirectoryFunc)(LPCSTR);
    typedef void(WINAPI * InitFunc)();
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDirsFunc setDefault = (SetDefaultDirsFunc)(void *)GetProcAddress(kernel, "SetDefaultDllDirectories");
    SetDllDirectoryFunc setDirectory = (SetDllDirectoryFunc)(void *)GetProcAddress(kernel, "SetDllDirectoryA");
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (setDirectory)
        setDirectory("");
    CoInitialize(NULL);
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    InitFunc init = comctl ? (InitFunc)(void *)GetProcAddress(comctl, "InitCommonControls") : NULL;
    if (init)
        init();
}

#endif
