// Measures installers under Wine from the Windows side. Each command prints one line of
// "name=value" figures (milliseconds, bytes) for the benchmark script.
//   startup CMDLINE        start, time to the first visible top-level window, then end it
//   run CMDLINE            time to the end of the process, and its peak working set
//   startups N CMDLINE...  N rounds of startup, each program in turn, after a pause to settle
//   installs N FOLDER CMDLINE...  N rounds of run, each program in turn, each after removing
//                          the install from FOLDER (files, registry entries, shortcuts); an
//                          argument "undo:CMDLINE" after a program's is run, unmeasured, after
//                          each of its runs (an MSI package is removed by msiexec /x)
//   drive SETUP FOLDER     start setup.exe, set the install folder, press start, answer every
//                          box at once (no messenger start), time from the press to the end
//   pages CMDLINE          start an installer with pages (NSIS), press its default button on
//                          every page, time from the first press to the end, and peak memory
//   copy SOURCE TARGET [flush]     time of the system's CopyFileA over an existing target
//   replace SOURCE TARGET [flush]  time of setup.exe's copy over an existing target (a copy
//                          beside it, written to the disk, then put in place in one step);
//                          flush: until the new file is on the disk
//   unflushed SOURCE TARGET [flush]  the same steps without writing the copy out before the move
//   click ID               presses button ID of the first visible dialog that has one (used by
//                          the screenshots of scripts/run.sh)
//   noop ...               does nothing (the shell's folder-open verb while measuring)
#include "filecopy.h"

#include <windows.h>
#include <initializer_list>
#include <psapi.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const DWORD SETTLE_MS = 100;  // the last program's exit settles before the next start

static double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return c.QuadPart * 1000.0 / f.QuadPart;
}

static BOOL Start(const char *cmdLine, PROCESS_INFORMATION *pi)
{
    STARTUPINFOA si = {sizeof(si)};
    char copy[4096];
    lstrcpynA(copy, cmdLine, sizeof(copy));
    return CreateProcessA(NULL, copy, NULL, NULL, FALSE, 0, NULL, NULL, &si, pi);
}

struct Search {
    DWORD pid;  // 0: any process
    const char *cls;
    HWND exclude;
    HWND found;
    HWND *known;  // windows there before the start, or none
    int knownCount;
};

static BOOL CALLBACK Match(HWND wnd, LPARAM param)
{
    Search *s = (Search *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (wnd == s->exclude || !IsWindowVisible(wnd))
        return TRUE;
    if (s->pid && pid != s->pid)
        return TRUE;
    for (int i = 0; i < s->knownCount; i++)
        if (s->known[i] == wnd)
            return TRUE;
    char cls[64] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    if (s->cls && strcmp(cls, s->cls) != 0)
        return TRUE;
    RECT r;
    GetWindowRect(wnd, &r);
    if (r.right - r.left < 50)  // not the IME or a helper window
        return TRUE;
    s->found = wnd;
    return FALSE;
}

static HWND VisibleWindow(DWORD pid, const char *cls, HWND exclude = NULL)
{
    Search s = {pid, cls, exclude, NULL, NULL, 0};
    EnumWindows(Match, (LPARAM)&s);
    return s.found;
}

static SIZE_T PeakMemory(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {sizeof(counters)};
    return GetProcessMemoryInfo(process, &counters, sizeof(counters)) ? counters.PeakWorkingSetSize : 0;
}

static BOOL CALLBACK Collect(HWND wnd, LPARAM param)
{
    Search *s = (Search *)param;
    if (s->knownCount < 1024)
        s->known[s->knownCount++] = wnd;
    return TRUE;
}

static double StartupMs(const char *cmdLine, bool *found);

static int Startup(const char *cmdLine)
{
    bool found;
    double ms = StartupMs(cmdLine, &found);
    printf("startup_ms=%.1f found=%d\n", ms, found);
    return found ? 0 : 2;
}

// count rounds of every command line in turn, one line each: "startup_ms=... program=i"
static int Startups(int count, int programs, char **cmdLines)
{
    for (int round = 1; round <= count; round++)
        for (int i = 0; i < programs; i++) {
            Sleep(SETTLE_MS);
            bool found;
            double ms = StartupMs(cmdLines[i], &found);
            printf("startup_ms=%.1f program=%d round=%d\n", ms, i, round);
            fflush(stdout);
        }
    return 0;
}

static double StartupMs(const char *cmdLine, bool *found)
{
    // the window may come from a process the installer starts: any new window counts
    static HWND known[1024];
    Search s = {0, NULL, NULL, NULL, known, 0};
    EnumWindows(Collect, (LPARAM)&s);

    PROCESS_INFORMATION pi;
    double t0 = Now();
    *found = false;
    if (!Start(cmdLine, &pi))
        return 0;
    HWND wnd = NULL;
    while (Now() - t0 < 30000) {
        s.found = NULL;
        EnumWindows(Match, (LPARAM)&s);
        if ((wnd = s.found) != NULL)
            break;
        Sleep(2);
    }
    double ms = Now() - t0;
    if (wnd) {
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, owner);
        if (process) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    *found = wnd != NULL;
    return ms;
}

static double RunMs(const char *cmdLine, SIZE_T *peak, DWORD *code)
{
    PROCESS_INFORMATION pi;
    double t0 = Now();
    *peak = 0;
    *code = 9999;
    if (!Start(cmdLine, &pi))
        return 0;
    while (WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT) {
        SIZE_T now = PeakMemory(pi.hProcess);
        if (now > *peak)
            *peak = now;
    }
    double ms = Now() - t0;
    GetExitCodeProcess(pi.hProcess, code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return ms;
}

static int Run(const char *cmdLine)
{
    SIZE_T peak;
    DWORD code;
    double ms = RunMs(cmdLine, &peak, &code);
    printf("run_ms=%.1f peak_bytes=%lu exit=%lu\n", ms, (unsigned long)peak, code);
    return 0;
}

// Removes what an install into folder leaves: its files, the App Paths and Uninstall entries,
// the three shortcuts (the user's or the machine's).
static void Clean(const char *folder)
{
    char path[MAX_PATH];
    for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"}) {
        _snprintf(path, sizeof(path), "%s\\%s", folder, name);
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path);
    }
    RemoveDirectoryA(folder);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qwill.exe");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qwill");
    // an install for the machine puts them in the common folders
    for (int csidl : {CSIDL_STARTUP, CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_STARTUP, CSIDL_COMMON_PROGRAMS,
                      CSIDL_COMMON_DESKTOPDIRECTORY})
        if (SHGetFolderPathA(NULL, csidl, NULL, 0, path) == S_OK) {
            lstrcatA(path, "\\Qwill.lnk");
            DeleteFileA(path);
        }
}

// count rounds of every install command in turn, each into folder from a clean prefix
static int Installs(int count, const char *folder, int args, char **argv)
{
    char *cmdLines[64], *undo[64] = {};
    int programs = 0;
    for (int i = 0; i < args && programs < 64; i++)
        if (strncmp(argv[i], "undo:", 5) == 0 && programs > 0)
            undo[programs - 1] = argv[i] + 5;
        else
            cmdLines[programs++] = argv[i];
    for (int round = 1; round <= count; round++)
        for (int i = 0; i < programs; i++) {
            Clean(folder);
            Sleep(SETTLE_MS);
            SIZE_T peak;
            DWORD code;
            double ms = RunMs(cmdLines[i], &peak, &code);
            printf("run_ms=%.1f peak_bytes=%lu exit=%lu program=%d round=%d\n", ms, (unsigned long)peak, code, i, round);
            fflush(stdout);
            if (undo[i])
                RunMs(undo[i], &peak, &code);
        }
    Clean(folder);
    return 0;
}

static int Drive(const char *setup, const char *folder)
{
    char cmd[MAX_PATH + 3];
    _snprintf(cmd, sizeof(cmd), "\"%s\"", setup);
    PROCESS_INFORMATION pi;
    if (!Start(cmd, &pi))
        return 1;
    HWND dialog = NULL;
    double t0 = Now();
    while (!(dialog = VisibleWindow(pi.dwProcessId, "#32770")) && Now() - t0 < 30000)
        Sleep(5);
    if (!dialog)
        return 2;
    WaitForInputIdle(pi.hProcess, 10000);
    SetDlgItemTextA(dialog, 1135, folder);

    double start = Now();
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    SIZE_T peak = 0;
    while (WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
        SIZE_T now = PeakMemory(pi.hProcess);
        if (now > peak)
            peak = now;
        HWND box = VisibleWindow(pi.dwProcessId, "#32770", dialog);
        if (box && GetDlgItem(box, 0xFFFF)) {
            // "start the messenger now?" is the only question with a line break in it
            char text[256] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            PostMessageA(box, WM_COMMAND, strchr(text, '\n') ? IDCANCEL : IDOK, 0);
            while (IsWindow(box) && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
                Sleep(1);
        }
    }
    double ms = Now() - start;
    printf("install_ms=%.1f peak_bytes=%lu\n", ms, (unsigned long)peak);
    return 0;
}

static int Pages(const char *cmdLine)
{
    PROCESS_INFORMATION pi;
    if (!Start(cmdLine, &pi))
        return 1;
    double start = 0, t0 = Now();
    SIZE_T peak = 0;
    while (WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT && Now() - t0 < 60000) {
        SIZE_T now = PeakMemory(pi.hProcess);
        if (now > peak)
            peak = now;
        HWND page = VisibleWindow(pi.dwProcessId, "#32770");
        HWND button = page ? GetDlgItem(page, IDOK) : NULL;
        if (button && IsWindowEnabled(button) && IsWindowVisible(button)) {
            if (!start)
                start = Now();
            PostMessageA(button, BM_CLICK, 0, 0);
            Sleep(20);  // the next page takes its place
        }
    }
    printf("pages_ms=%.1f peak_bytes=%lu\n", Now() - start, (unsigned long)peak);
    return 0;
}

// setup.exe's copy as it was before it wrote the copy out: beside the target, then moved.
static BOOL CopyUnflushed(const char *source, const char *target)
{
    char temp[MAX_PATH];
    _snprintf(temp, sizeof(temp), "%s~", target);
    return CopyFileA(source, temp, FALSE) && MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING);
}

// With flush, the time includes writing the new file out to the disk.
static int Copy(const char *source, const char *target, const char *way, bool flush)
{
    double t0 = Now();
    BOOL copied = strcmp(way, "replace") == 0     ? CopyReplacing(source, target)
                  : strcmp(way, "unflushed") == 0 ? CopyUnflushed(source, target)
                                                  : CopyFileA(source, target, FALSE);
    if (flush) {
        HANDLE file = CreateFileA(target, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    printf("%s_ms=%.1f ok=%d\n", way, Now() - t0, copied);
    return copied ? 0 : 2;
}

static BOOL CALLBACK PressIn(HWND wnd, LPARAM id)
{
    HWND button = GetDlgItem(wnd, (int)id);
    if (!IsWindowVisible(wnd) || !button)
        return TRUE;
    PostMessageA(button, BM_CLICK, 0, 0);
    return FALSE;
}

static int Click(int id)
{
    return EnumWindows(PressIn, id) ? 2 : 0;  // FALSE: stopped at the dialog, pressed
}

int main(int argc, char **argv)
{
    if (argc >= 3 && strcmp(argv[1], "startup") == 0)
        return Startup(argv[2]);
    if (argc >= 4 && strcmp(argv[1], "startups") == 0)
        return Startups(atoi(argv[2]), argc - 3, argv + 3);
    if (argc >= 5 && strcmp(argv[1], "installs") == 0)
        return Installs(atoi(argv[2]), argv[3], argc - 4, argv + 4);
    if (argc >= 3 && strcmp(argv[1], "run") == 0)
        return Run(argv[2]);
    if (argc >= 4 && strcmp(argv[1], "drive") == 0)
        return Drive(argv[2], argv[3]);
    if (argc >= 3 && strcmp(argv[1], "pages") == 0)
        return Pages(argv[2]);
    if (argc >= 4 && (!strcmp(argv[1], "copy") || !strcmp(argv[1], "replace") || !strcmp(argv[1], "unflushed")))
        return Copy(argv[2], argv[3], argv[1], argc >= 5 && strcmp(argv[4], "flush") == 0);
    if (argc >= 3 && strcmp(argv[1], "click") == 0)
        return Click(atoi(argv[2]));
    if (argc >= 2 && strcmp(argv[1], "noop") == 0)
        return 0;
    fprintf(stderr, "usage: benchtool startup|run CMDLINE | startups N CMDLINE... | installs N FOLDER CMDLINE [undo:CMDLINE]... | drive SETUP FOLDER | pages CMDLINE | copy|replace|unflushed SOURCE TARGET | click ID | noop\n");
    return 1;
}
