// Stand-in for the messenger, which the setup program installs, starts, links to and closes.
// A hidden top-level window of class "qwill_class" that closes on WM_CLOSE. Every start is
// recorded in qwill.started beside the program: its command line, its current folder, and the
// program that started it.
// Switches: /class NAME (window class), /ignoreclose (WM_CLOSE does nothing),
// /hang (stops handling messages for a minute), /slowexit MS (ends MS milliseconds after its
// window is gone, as a messenger that still saves its settings).
#include <windows.h>
#include <tlhelp32.h>
#include <stdlib.h>
#include <string.h>

#ifndef QWILL_PADDING
#define QWILL_PADDING 1
#endif
// The setup program treats a qwill.exe under 50000 bytes specially: the size is a build choice.
__attribute__((used)) static const volatile char padding[QWILL_PADDING] = {1};

static BOOL ignoreClose;

static LRESULT CALLBACK MessengerProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CLOSE:
        if (ignoreClose)
            return 0;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The program file name of the process that started this one, or "".
static void ParentName(char *name, DWORD size)
{
    PROCESSENTRY32 entry = {sizeof(entry)};
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    DWORD parent = 0;
    name[0] = 0;
    for (BOOL more = Process32First(processes, &entry); more; more = Process32Next(processes, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId())
            parent = entry.th32ParentProcessID;
    for (BOOL more = Process32First(processes, &entry); more && parent; more = Process32Next(processes, &entry))
        if (entry.th32ProcessID == parent)
            lstrcpynA(name, entry.szExeFile, size);
    CloseHandle(processes);
}

static void RecordStart(const char *cmdLine)
{
    char path[MAX_PATH], folder[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, path, sizeof(path) - 16);
    char *slash = strrchr(path, '\\');
    if (!len || !slash)
        return;
    strcpy(slash + 1, "qwill.started");
    GetCurrentDirectoryA(sizeof(folder), folder);
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, cmdLine, strlen(cmdLine), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    WriteFile(file, folder, strlen(folder), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    ParentName(folder, sizeof(folder));
    WriteFile(file, folder, strlen(folder), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int)
{
    RecordStart(cmdLine);

    char className[100] = "qwill_class";
    BOOL hang = FALSE;
    DWORD slowExit = 0;
    char args[1024];
    lstrcpynA(args, cmdLine, sizeof(args));
    for (char *token = strtok(args, " "); token; token = strtok(NULL, " ")) {
        if (strcmp(token, "/ignoreclose") == 0)
            ignoreClose = TRUE;
        else if (strcmp(token, "/hang") == 0)
            hang = TRUE;
        else if (strcmp(token, "/slowexit") == 0 && (token = strtok(NULL, " ")))
            slowExit = strtoul(token, NULL, 10);
        else if (strcmp(token, "/class") == 0 && (token = strtok(NULL, " ")))
            lstrcpynA(className, token, sizeof(className));
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = MessengerProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc) ||
        !CreateWindowExA(0, className, "Qwill", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL, instance, NULL))
        return 1;
    if (hang)
        Sleep(60000);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    Sleep(slowExit);
    return padding[0] - 1;
}
