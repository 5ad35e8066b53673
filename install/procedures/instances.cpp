// Closing the messenger's running windows, found by their class-name prefix.
#include "instances.h"
#include "holders.h"
#include "messenger.h"
#include "paths.h"
#include "procedures.h"
#include "setuplog.h"
#include "texts.h"
#include "tstr.h"
#include "ttext.h"
#include "twin.h"

static const int CLASS_NAME_SIZE = 100;
static const DWORD EXIT_WAIT_MS = 3000;
static const DWORD EXIT_POLL_MS = 100;

// The processes of the windows asked to close, waited for until they end: a messenger may
// still save its settings and say goodbye to its peers, holding its program file, after its
// last window is gone.
static const int MAX_CLOSED = 16;
static HANDLE closedProcesses[MAX_CLOSED];
static DWORD closedIds[MAX_CLOSED];
static int closedCount;

static void RememberProcessOf(HWND wnd)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    for (int i = 0; i < closedCount; i++)
        if (closedIds[i] == pid)
            return;
    HANDLE process = closedCount < MAX_CLOSED ? ::OpenProcess(SYNCHRONIZE, FALSE, pid) : NULL;
    if (!process)
        return;
    closedIds[closedCount] = pid;
    closedProcesses[closedCount++] = process;
}

// The id of a process asked to close that still runs, or 0. The ended ones are let go.
static DWORD RunningClosedProcess()
{
    DWORD running = 0;
    for (int i = closedCount - 1; i >= 0; i--) {
        if (::WaitForSingleObject(closedProcesses[i], 0) == WAIT_TIMEOUT) {
            running = closedIds[i];
            continue;
        }
        ::CloseHandle(closedProcesses[i]);
        closedCount--;
        closedProcesses[i] = closedProcesses[closedCount];
        closedIds[i] = closedIds[closedCount];
    }
    return running;
}

static BOOL askedToClose;  // some messenger window was asked to close

struct MessengerVisit {
    BOOL close;  // send each one WM_CLOSE
    HWND found;  // the first one seen
    DWORD *ids;  // their processes, when asked for: up to maxIds
    int idCount, maxIds;
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
    DWORD pid = 0;
    if (visit->idCount < visit->maxIds && ::GetWindowThreadProcessId(wnd, &pid))
        visit->ids[visit->idCount++] = pid;
    if (visit->close) {
        askedToClose = TRUE;
        RememberProcessOf(wnd);
        // a messenger that stopped responding must not freeze the setup program
        DWORD_PTR ignored;
        ::SendMessageTimeoutA(wnd, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, CLOSE_TIMEOUT_MS, &ignored);
    }
    return TRUE;
}

// The first messenger window on the desktop, or none; with close, every one is asked to close.
static HWND VisitMessengers(BOOL close)
{
    MessengerVisit visit = {close, NULL, NULL, 0, 0};
    ::EnumWindows(VisitMessengerWindow, (LPARAM)&visit);
    return visit.found;
}

int MessengersHere(DWORD *ids, int max)
{
    MessengerVisit visit = {FALSE, NULL, ids, 0, max};
    ::EnumWindows(VisitMessengerWindow, (LPARAM)&visit);
    return visit.idCount;
}

BOOL CloseRunningInstances(TWin *owner, RunContext *ctx)
{
    if (!VisitMessengers(FALSE))
        return TRUE;
    if (Ask(owner, ctx, QUESTION_CLOSE_MESSENGER, TEXT_CLOSE_MESSENGER, "", MB_OKCANCEL) == IDCANCEL)
        return FALSE;
    VisitMessengers(TRUE);
    return TRUE;
}

// The process of a messenger window, or else one asked to close that still runs; 0 for none.
// A window that goes between the two looks-ups leaves its process to the second.
static DWORD StayingMessenger()
{
    DWORD pid = 0;
    HWND wnd = VisitMessengers(FALSE);
    if (wnd && ::GetWindowThreadProcessId(wnd, &pid) && pid)
        return pid;
    return RunningClosedProcess();
}

static DWORD WaitForMessengersToGo()
{
    DWORD left;
    DWORD start = ::GetTickCount();
    while ((left = StayingMessenger()) && ::GetTickCount() - start < EXIT_WAIT_MS)
        ::Sleep(EXIT_POLL_MS);
    return left;
}

BOOL ClosedMessengers()
{
    return askedToClose;
}

BOOL EnsureMessengerGone(TWin *owner, RunContext *ctx, BOOL offerRetry)
{
    for (;;) {
        DWORD left = WaitForMessengersToGo();
        if (!left)
            return TRUE;
        char program[MAX_PATH], shown[MAX_PATH], text[MAX_PATH + 64];
        ProgramOfProcess(left, program, sizeof(program), MESSENGER_EXE);
        LogStep(ctx, "messenger still running: %s", program);
        if (ctx && ctx->unattended) {
            ctx->exitCode = EXIT_MESSENGER_RUNNING;
            return FALSE;
        }
        if (!offerRetry)
            return TRUE;
        SystemTextAsProgramText(program, shown, sizeof(shown));
        BoundedFormat(text, sizeof(text), TEXT_STILL_RUNNING, shown);
        if (Ask(owner, ctx, QUESTION_RETRY, text, TEXT_NOTICE, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            return FALSE;
        VisitMessengers(TRUE);
    }
}
