// The processes that run a program file: a messenger the setup program cannot close, in
// another session or on another desktop, still holds the installed qwill.exe.
#ifndef HOLDERS_H
#define HOLDERS_H

#include <windows.h>

struct ProgramHolder {
    DWORD processId;
    DWORD sessionId;
    BOOL sessionKnown;  // Windows before 2000 (and 9x) have no sessions to tell
};

// The first process other than this one whose program file is path, by the file's identity.
// FALSE when none runs it, or the system cannot tell (Windows NT 4 has no process snapshot).
BOOL FindProgramHolder(const char *path, ProgramHolder *holder);

// The program file of a process (size bytes), or "qwill.exe" when the system cannot tell.
void ProgramOfProcess(DWORD processId, char *path, DWORD size);

#endif
