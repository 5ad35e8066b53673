// Finding the processes that run a program file, through a process snapshot looked up at run
// time: Windows 95 and 2000 on have it, NT 4 does not.
#include "holders.h"
#include "paths.h"
#include "tstr.h"
#include "tsystem.h"

#include <tlhelp32.h>

typedef HANDLE(WINAPI *SnapshotFunc)(DWORD, DWORD);
typedef BOOL(WINAPI *ProcessWalkFunc)(HANDLE, PROCESSENTRY32 *);
typedef BOOL(WINAPI *QueryImageFunc)(HANDLE, DWORD, LPSTR, PDWORD);
typedef BOOL(WINAPI *ModuleWalkFunc)(HANDLE, MODULEENTRY32 *);
typedef BOOL(WINAPI *SessionOfFunc)(DWORD, DWORD *);

// The full path of a process's program: Vista on as the process tells it, before that as the
// first module of its module snapshot. FALSE where it cannot be told: a bare name would be
// looked for in the current folder.
static BOOL ImageOf(DWORD processId, char *path, DWORD size)
{
    BOOL known = FALSE;
    QueryImageFunc query = FunctionOf<QueryImageFunc>("kernel32.dll", "QueryFullProcessImageNameA");
    if (WindowsMajor() >= 6 && query) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        known = process && query(process, 0, path, &size);
        if (process)
            ::CloseHandle(process);
    } else {
        SnapshotFunc snapshot = FunctionOf<SnapshotFunc>("kernel32.dll", "CreateToolhelp32Snapshot");
        ModuleWalkFunc first = FunctionOf<ModuleWalkFunc>("kernel32.dll", "Module32First");
        HANDLE modules = snapshot && first ? snapshot(TH32CS_SNAPMODULE, processId) : INVALID_HANDLE_VALUE;
        MODULEENTRY32 module;
        module.dwSize = sizeof(module);
        known = modules != INVALID_HANDLE_VALUE && first(modules, &module) && BoundedCopy(path, size, module.szExePath);
        if (modules != INVALID_HANDLE_VALUE)
            ::CloseHandle(modules);
    }
    return known && IsFullPath(path);
}

void ProgramOfProcess(DWORD processId, char *path, DWORD size, const char *unknown)
{
    if (!ImageOf(processId, path, size))
        BoundedCopy(path, size, unknown);
}

// The name part of a path, whose double-byte letters may have '\\' as their second byte.
static const char *NameOf(const char *path)
{
    const char *name = path;
    for (const char *p = path; *p; p++) {
        if (::IsDBCSLeadByte((BYTE)*p) && p[1])
            p++;
        else if (*p == '\\')
            name = p + 1;
    }
    return name;
}

static BOOL Excepted(DWORD processId, const DWORD *except, int count)
{
    for (int i = 0; i < count; i++)
        if (except[i] == processId)
            return TRUE;
    return FALSE;
}

BOOL FindProgramHolder(const char *path, ProgramHolder *holder, const DWORD *except, int exceptCount)
{
    SnapshotFunc snapshot = FunctionOf<SnapshotFunc>("kernel32.dll", "CreateToolhelp32Snapshot");
    ProcessWalkFunc first = FunctionOf<ProcessWalkFunc>("kernel32.dll", "Process32First");
    ProcessWalkFunc next = FunctionOf<ProcessWalkFunc>("kernel32.dll", "Process32Next");
    HANDLE processes = snapshot && first && next ? snapshot(TH32CS_SNAPPROCESS, 0) : INVALID_HANDLE_VALUE;
    if (processes == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL found = FALSE;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = first(processes, &entry); more && !found; more = next(processes, &entry)) {
        char image[MAX_PATH];
        // Windows NT names the program only, 9x gives its path: the name sorts out the others
        if (entry.th32ProcessID == ::GetCurrentProcessId() || Excepted(entry.th32ProcessID, except, exceptCount) ||
            lstrcmpiA(NameOf(entry.szExeFile), NameOf(path)) != 0 || !ImageOf(entry.th32ProcessID, image, sizeof(image)))
            continue;
        found = SameFile(image, path);
        holder->processId = entry.th32ProcessID;
    }
    ::CloseHandle(processes);
    SessionOfFunc sessionOf = FunctionOf<SessionOfFunc>("kernel32.dll", "ProcessIdToSessionId");
    holder->sessionKnown = found && sessionOf && sessionOf(holder->processId, &holder->sessionId);
    return found;
}
