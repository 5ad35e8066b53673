// Closing the messenger's running windows, found by their class-name prefix.
#include "instances.h"
#include "paths.h"
#include "procedures.h"
#include "setuplog.h"
#include "texts.h"
#include "tstr.h"
#include "ttext.h"
#include "twin.h"

const char MESSENGER_CLASS_PREFIX[] = "qwill_class";
static const int CLASS_NAME_SIZE = 100;
static const DWORD EXIT_WAIT_MS = 3000;
static const DWORD EXIT_POLL_MS = 100;

struct MessengerVisit {
    BOOL close;  // send each one WM_CLOSE
    HWND found;  // the first one seen
};

static BOOL CALLBACK VisitMessengerWindow(HWND wnd, LPARAM param)
{
    MessengerVisit *visit = (MessengerVisit *)param;
    char className[CLASS_NAME_SIZE];
    const int prefixLen = sizeof(MESSENGER_CLASS_PREFIX) - 1;
    if (!::GetClassNameA(wnd, className, sizeof(className)) ||
        StrNCaseCmp(className, MESSENGER_CLASS_PREFIX, prefixLen) != 0)
        return TRUE;
    if (!visit->found)
        visit->found = wnd;
    if (visit->close) {
        // a messenger that stopped responding must not freeze the setup program
        DWORD_PTR ignored;
        ::SendMessageTimeoutA(wnd, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, CLOSE_TIMEOUT_MS, &ignored);
    }
    return TRUE;
}

// The first messenger window on the desktop, or none; with close, every one is asked to close.
static HWND VisitMessengers(BOOL close)
{
    MessengerVisit visit = {close, NULL};
    ::EnumWindows(VisitMessengerWindow, (LPARAM)&visit);
    return visit.found;
}

BOOL CloseRunningInstances(TWin *owner)
{
    if (!VisitMessengers(FALSE))
        return TRUE;
    if (owner->MessageBox(TEXT_CLOSE_MESSENGER, "", MB_OKCANCEL) == IDCANCEL)
        return FALSE;
    VisitMessengers(TRUE);
    return TRUE;
}

// The program file of the process that owns wnd, for telling the user what still runs.
static void ProgramOf(HWND wnd, char *path, DWORD size)
{
    typedef BOOL(WINAPI * QueryImageFunc)(HANDLE, DWORD, LPSTR, PDWORD);
    BoundedCopy(path, size, "qwill.exe");
    QueryImageFunc query =
        (QueryImageFunc)(void *)::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA");
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return;
    char image[MAX_PATH];
    DWORD len = sizeof(image);
    if (query && query(process, 0, image, &len))
        BoundedCopy(path, size, image);
    ::CloseHandle(process);
}

static HWND WaitForMessengersToGo()
{
    HWND left;
    DWORD start = ::GetTickCount();
    while ((left = VisitMessengers(FALSE)) && ::GetTickCount() - start < EXIT_WAIT_MS)
        ::Sleep(EXIT_POLL_MS);
    return left;
}

BOOL EnsureMessengerGone(TWin *owner, RunContext *ctx, BOOL offerRetry)
{
    for (;;) {
        HWND left = WaitForMessengersToGo();
        if (!left)
            return TRUE;
        char program[MAX_PATH], shown[MAX_PATH], text[MAX_PATH + 64];
        ProgramOf(left, program, sizeof(program));
        LogStep(ctx, "messenger still running: %s", program);
        if (ctx && ctx->unattended) {
            ctx->exitCode = EXIT_MESSENGER_RUNNING;
            return FALSE;
        }
        if (!offerRetry)
            return TRUE;
        SystemTextAsProgramText(program, shown, sizeof(shown));
        BoundedFormat(text, sizeof(text), TEXT_STILL_RUNNING, shown);
        if (owner->MessageBox(text, TEXT_NOTICE, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            return FALSE;
        VisitMessengers(TRUE);
    }
}
