// Drives a real setup.exe process as a user would.
#include "setuprun.h"
#include "scratch.h"
#include "winwait.h"

namespace {
struct Search {
    DWORD pid;
    HWND exclude;
    const char *caption;  // NULL: a message box
    HWND found;
};

BOOL CALLBACK MatchOwnWindow(HWND wnd, LPARAM param)
{
    Search *s = (Search *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != s->pid || wnd == s->exclude || !IsWindowVisible(wnd))
        return TRUE;
    char cls[32] = "", caption[256] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    GetWindowTextA(wnd, caption, sizeof(caption));
    if (strcmp(cls, "#32770") != 0)
        return TRUE;
    bool match = s->caption ? strcmp(caption, s->caption) == 0 : GetDlgItem(wnd, 0xFFFF) != NULL;
    if (!match)
        return TRUE;
    s->found = wnd;
    return FALSE;
}

HWND FindOwnWindow(DWORD pid, HWND exclude, const char *caption)
{
    Search s = {pid, exclude, caption, NULL};
    EnumWindows(MatchOwnWindow, (LPARAM)&s);
    return s.found;
}
}  // namespace

SetupRun::~SetupRun()
{
    if (pi.hProcess)
        Finish(0);
}

bool SetupRun::Start(const std::string &cmdLine, bool waitForDialog)
{
    if (!StartProcess(cmdLine, &pi))
        return false;
    if (!waitForDialog)
        return true;
    bool shown = PumpUntil([&] {
        HWND wnd = TopWindowOfProcess(pi.dwProcessId, "#32770");
        if (wnd && IsWindowVisible(wnd) && GetDlgItem(wnd, 1133) && FindWindowExA(GetDlgItem(wnd, 1133), NULL, NULL, NULL))
            dialog = wnd;
        return dialog != NULL;
    }, 15000);
    // the dialog shows itself before its start-up work ends: wait until it waits for input
    WaitForInputIdle(pi.hProcess, 10000);
    return shown;
}

std::string SetupRun::Caption()
{
    char buf[256] = "";
    GetWindowTextA(dialog, buf, sizeof(buf));
    return buf;
}

std::string SetupRun::Text(int id)
{
    char buf[1024] = "";
    GetDlgItemTextA(dialog, id, buf, sizeof(buf));
    return buf;
}

void SetupRun::SetText(int id, const std::string &text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

bool SetupRun::Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog, id)); }
bool SetupRun::Checked(int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

HWND SetupRun::Sheet()
{
    return FindWindowExA(GetDlgItem(dialog, 1133), NULL, "#32770", NULL);
}

int SetupRun::SheetResource()
{
    HWND sheet = Sheet();
    if (!sheet)
        return 0;
    return GetDlgItem(sheet, 1152) ? 151 : 101;
}

bool SetupRun::SheetChecked(int id) { return SendDlgItemMessageA(Sheet(), id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

static void ClickButton(HWND button)
{
    DWORD_PTR ignored;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

// Posted: a button whose click starts a procedure must not hold up the driver.
void SetupRun::Click(int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void SetupRun::ClickSheet(int id) { ClickButton(GetDlgItem(Sheet(), id)); }

void SetupRun::Key(HWND target, UINT vk)
{
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

bool SetupRun::NextBox(BoxSeen *seen, int answer, int timeoutMs, std::function<void()> beforeAnswer)
{
    HWND box = NULL;
    if (!PumpUntil([&] { return (box = FindOwnWindow(pi.dwProcessId, dialog, NULL)) != NULL; }, timeoutMs))
        return false;
    Sleep(50);  // let it finish its layout
    *seen = ReadBox(box);
    if (beforeAnswer)
        beforeAnswer();
    PostMessageA(box, WM_COMMAND, answer, 0);
    PumpUntil([&] { return !IsWindow(box); }, 5000);
    return true;
}

HWND SetupRun::WaitWindow(const char *caption, int timeoutMs)
{
    HWND wnd = NULL;
    PumpUntil([&] { return (wnd = FindOwnWindow(pi.dwProcessId, dialog, caption)) != NULL; }, timeoutMs);
    return wnd;
}

DWORD SetupRun::Finish(int timeoutMs)
{
    DWORD code = EndProcess(&pi, timeoutMs);
    pi = {};
    return code;
}
