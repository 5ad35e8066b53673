// Process entry of setup.exe.
#include "setupapp.h"
#include "texts.h"
#include "ttext.h"

// Library loads from here on search the system folder only, never the program's folder or
// the current one: a setup program often runs from a downloads folder where a planted DLL
// with a system name may lie. Looked up at run time, so that older systems still start.
static void RestrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDirsFunc)(DWORD);
    typedef BOOL(WINAPI * SetDllDirectoryFunc)(LPCSTR);
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    SetDefaultDirsFunc setDefault = (SetDefaultDirsFunc)(void *)::GetProcAddress(kernel, "SetDefaultDllDirectories");
    SetDllDirectoryFunc setDirectory = (SetDllDirectoryFunc)(void *)::GetProcAddress(kernel, "SetDllDirectoryA");
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (setDirectory)
        setDirectory("");
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow)
{
    RestrictDllSearch();
    ChooseTextCalls(TEXTS_CODE_PAGE);
    TSetupApp app(instance, cmdLine, cmdShow);
    return app.Run();
}

// The arguments after the program's name, as the C runtime hands them to WinMain.
static char *ArgumentsOf(char *commandLine)
{
    char *p = commandLine;
    BOOL quoted = FALSE;
    for (; *p && (quoted || (BYTE)*p > ' '); p++)
        if (*p == '"')
            quoted = !quoted;
    while (*p && (BYTE)*p <= ' ')
        p++;
    return p;
}

// The process entry. The C runtime's start-up code stays out: it costs several kilobytes and
// does nothing this program needs (msvcrt.dll sets itself up when it is loaded).
extern "C" void WinMainCRTStartup()
{
    STARTUPINFOA startup;
    startup.cb = sizeof(startup);
    ::GetStartupInfoA(&startup);
    int cmdShow = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ::ExitProcess(WinMain(::GetModuleHandleA(NULL), NULL, ArgumentsOf(::GetCommandLineA()), cmdShow));
}
