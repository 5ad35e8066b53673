// Closing the messenger's running windows, found by their class-name prefix.
#include "instances.h"
#include "paths.h"
#include "texts.h"
#include "twin.h"

const char MESSENGER_CLASS_PREFIX[] = "qwill_class";
static const int CLASS_NAME_SIZE = 100;

// With a flag to set: reports whether any messenger window exists. Without: closes them.
static BOOL CALLBACK VisitMessengerWindow(HWND wnd, LPARAM foundFlag)
{
    char className[CLASS_NAME_SIZE];
    const int prefixLen = sizeof(MESSENGER_CLASS_PREFIX) - 1;
    if (!::GetClassNameA(wnd, className, sizeof(className)) ||
        StrNCaseCmp(className, MESSENGER_CLASS_PREFIX, prefixLen) != 0)
        return TRUE;
    if (foundFlag) {
        *(BOOL *)foundFlag = TRUE;
    } else {
        // a messenger that stopped responding must not freeze the setup program
        DWORD_PTR ignored;
        ::SendMessageTimeoutA(wnd, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, CLOSE_TIMEOUT_MS, &ignored);
    }
    return TRUE;
}

BOOL CloseRunningInstances(TWin *owner)
{
    BOOL found = FALSE;
    ::EnumWindows(VisitMessengerWindow, (LPARAM)&found);
    if (!found)
        return TRUE;
    if (owner->MessageBox(TEXT_CLOSE_MESSENGER, "", MB_OKCANCEL) == IDCANCEL)
        return FALSE;
    ::EnumWindows(VisitMessengerWindow, 0);
    return TRUE;
}
