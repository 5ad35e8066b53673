// Process entry of setup.exe.
#include "setupapp.h"
#include "texts.h"
#include "tsystem.h"
#include "ttext.h"

#include <stdlib.h>

// Library loads from here on search the system folder only, never the program's folder or
// the current one: a setup program often runs from a downloads folder where a planted DLL
// with a system name may lie. Looked up at run time, so that older systems still start.
static void RestrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDirsFunc)(DWORD);
    typedef BOOL(WINAPI * SetDllDirectoryFunc)(LPCSTR);
    SetDefaultDirsFunc setDefault = FunctionOf<SetDefaultDirsFunc>("kernel32.dll", "SetDefaultDllDirectories");
    SetDllDirectoryFunc setDirectory = FunctionOf<SetDllDirectoryFunc>("kernel32.dll", "SetDllDirectoryA");
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

// The command line in the system's code page. Windows makes the ANSI one with look-alike
// letters for those the code page lacks (a folder "Łódź" comes as "Lodz", another folder): on
// NT such a letter becomes '?' instead, which no file or folder name holds.
static char *CommandLine()
{
    typedef LPWSTR(WINAPI * CommandLineWFunc)();
    CommandLineWFunc commandLineW = IsWindows9x() ? NULL : FunctionOf<CommandLineWFunc>("kernel32.dll", "GetCommandLineW");
    LPWSTR wide = commandLineW ? commandLineW() : NULL;
    int size = wide ? ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, NULL, 0, "?", NULL) : 0;
    char *line = size > 0 ? (char *)malloc(size) : NULL;
    // Windows NT 4 knows no such conversion
    if (!line || !::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, line, size, "?", NULL))
        return ::GetCommandLineA();
    return line;
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
    ::ExitProcess(WinMain(::GetModuleHandleA(NULL), NULL, ArgumentsOf(CommandLine()), cmdShow));
}
