// What a program asks of the Windows it runs on: which family and version it is, and the
// functions that only some versions have, looked up at run time so that the program still
// loads where they are missing.
#ifndef TSYSTEM_H
#define TSYSTEM_H

#include <windows.h>

// TRUE on Windows 95, 98 and Me: no rights of users, no tokens, no wide calls to rely on.
BOOL IsWindows9x();

// The major version: 4 for 95, 98, Me and NT 4, 5 for 2000 to 2003, 6 for Vista on.
int WindowsMajor();

// The function name of module, or NULL when the module is not there or lacks it.
FARPROC SystemFunction(HMODULE module, const char *name);

// The function name of an already loaded system library (kernel32.dll, advapi32.dll, ...),
// as a pointer of type F; NULL where this Windows lacks it.
template <class F> F FunctionOf(const char *library, const char *name)
{
    return (F)(void *)SystemFunction(::GetModuleHandleA(library), name);
}

// The same for a library the caller loaded.
template <class F> F FunctionOf(HMODULE module, const char *name)
{
    return (F)(void *)SystemFunction(module, name);
}

#endif
