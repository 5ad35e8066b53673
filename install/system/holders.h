// The processes that run a program file: one the program cannot close, in another session or
// on another desktop, still holds it.
#ifndef HOLDERS_H
#define HOLDERS_H

#include <windows.h>

struct ProgramHolder {
    DWORD processId;
    DWORD sessionId;
    BOOL sessionKnown;  // Windows before 2000 (and 9x) have no sessions to tell
};

// The first process, other than this one and the count of except, whose program file is path,
// by the file's identity. FALSE when none runs it, or the system cannot tell (Windows NT 4 has
// no process snapshot). A process whose program file cannot be told (another person's, as a
// standard user sees it) is not taken for one.
BOOL FindProgramHolder(const char *path, ProgramHolder *holder, const DWORD *except = NULL, int exceptCount = 0);

// The program file of a process (size bytes), or unknown when the system cannot tell.
void ProgramOfProcess(DWORD processId, char *path, DWORD size, const char *unknown);

#endif
