// Test helpers: the framework's window class, and bounded waits that keep messages flowing.
#ifndef WINWAIT_H
#define WINWAIT_H

#include <windows.h>
#include <functional>

// Sets appInstance to this program and registers the framework's window class once.
void EnsureAppClass();

// Dispatches the thread's messages until done() holds or timeoutMs have passed.
bool PumpUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// Dispatches whatever is queued now.
void PumpPending();

// Folder of this test program, with a trailing backslash.
const char *ProgramFolder();



// The first top-level window of the process (of that class, when className is given).
HWND TopWindowOfProcess(DWORD processId, const char *className = NULL);
#endif
