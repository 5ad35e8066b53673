// The running Windows' family and version, and its functions looked up by name.
#include "tsystem.h"

BOOL IsWindows9x()
{
    return (::GetVersion() & 0x80000000) != 0;
}

int WindowsMajor()
{
    return LOBYTE(LOWORD(::GetVersion()));
}

FARPROC SystemFunction(HMODULE module, const char *name)
{
    return module ? ::GetProcAddress(module, name) : NULL;
}
