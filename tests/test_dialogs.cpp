// Dialog objects (modal and modeless) and subclassed windows, on test-only templates.
#include "tapp.h"
#include "tdlg.h"
#include "testdlg.h"
#include "winwait.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

namespace {

class TTestDlg : public TDlg {
public:
    explicit TTestDlg(int id = IDD_TEST_MODELESS, TWin *parent = NULL) : TDlg(id, parent) {}
    int creates = 0;
    LPARAM createParam = -1;
    std::vector<WORD> commands;
    std::vector<WORD> script;  // ids posted as WM_COMMAND once the dialog exists
    BOOL userAnswer = 0;
    BOOL queryEndSession = TRUE;
    BOOL handled = FALSE;
    LRESULT stored = 0;

    BOOL OnCreate(LPARAM lParam) override
    {
        creates++;
        createParam = lParam;
        for (WORD id : script)
            PostMessage(WM_COMMAND, id, 0);
        return TDlg::OnCreate(lParam);
    }
    BOOL OnCommand(WORD code, WORD id, HWND ctl) override
    {
        commands.push_back(id);
        if (handled)
            return TRUE;
        return TDlg::OnCommand(code, id, ctl);
    }
    BOOL OnUserMessage(UINT, WPARAM, LPARAM) override { return userAnswer; }
    BOOL OnQueryEndSession(WPARAM, LPARAM) override { return queryEndSession; }
    BOOL OnNcHitTest(LPARAM, LRESULT *result) override
    {
        *result = stored;
        return FALSE;  // the stored value counts whatever the handler answers
    }
    BOOL OnCtlColor(UINT, HDC, HWND, LRESULT *result) override
    {
        *result = stored;
        return TRUE;
    }
    BOOL OnMouseMove(UINT, LPARAM) override { return 9; }
};

class Dialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureAppClass(); }
};

int RunScripted(std::vector<WORD> script, TTestDlg *dlg)
{
    dlg->resId = IDD_TEST_MODAL;
    dlg->script = script;
    return dlg->RunModal();
}

TEST_F(Dialogs, DefaultOnCommandEndsAModalDialog)
{
    struct { WORD id; int result; } cases[] = {{IDOK, 1}, {IDYES, 1}, {IDCANCEL, 0}, {IDNO, 0}};
    for (auto c : cases) {
        TTestDlg dlg;
        EXPECT_EQ(c.result, RunScripted({c.id}, &dlg)) << c.id;
        EXPECT_FALSE(dlg.modal);
        EXPECT_EQ(nullptr, dlg.hWnd);
        EXPECT_EQ(1, dlg.creates);
    }
    TTestDlg dlg;  // another id leaves the dialog open until the next command
    EXPECT_EQ(1, RunScripted({1234, IDYES}, &dlg));
    auto other = std::find(dlg.commands.begin(), dlg.commands.end(), 1234);
    EXPECT_NE(dlg.commands.end(), other);
    EXPECT_NE(dlg.commands.end(), std::find(other, dlg.commands.end(), (WORD)IDYES));
}

TEST_F(Dialogs, RunModalWithAMissingTemplate)
{
    TTestDlg dlg(IDD_TEST_MISSING);
    EXPECT_EQ(-1, dlg.RunModal());
    EXPECT_FALSE(dlg.modal);
    EXPECT_EQ(nullptr, pendingWin);
    EXPECT_EQ(0, dlg.creates);
}

TEST_F(Dialogs, ModelessCreateDestroyAndCreateAgain)
{
    TTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(1, dlg.creates);
    EXPECT_EQ(0, dlg.createParam);
    EXPECT_EQ(&dlg, FindWindowObject(dlg.hWnd));
    EXPECT_TRUE(dlg.Destroy());
    EXPECT_EQ(nullptr, dlg.hWnd);
    EXPECT_FALSE(dlg.Destroy());
    EXPECT_FALSE(dlg.EndDialog(3));

    ASSERT_TRUE(dlg.Create(GetModuleHandleA(NULL)));
    EXPECT_EQ(2, dlg.creates);
    EXPECT_TRUE(dlg.Destroy());

    TTestDlg elsewhere;  // a module without the template
    EXPECT_FALSE(elsewhere.Create(GetModuleHandleA("kernel32.dll")));
    EXPECT_EQ(nullptr, pendingWin);
    EXPECT_EQ(nullptr, elsewhere.hWnd);
}

TEST_F(Dialogs, DeletingTheObjectDestroysItsWindow)
{
    TTestDlg *dlg = new TTestDlg;
    ASSERT_TRUE(dlg->Create());
    HWND wnd = dlg->hWnd;
    int before = WindowTable.count;
    delete dlg;
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(nullptr, FindWindowObject(wnd));
    EXPECT_EQ(before - 1, WindowTable.count);
}

TEST_F(Dialogs, DialogProcedureResults)
{
    TTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    HWND wnd = dlg.hWnd;
    EXPECT_EQ(0, SharedWndProc(wnd, WM_CREATE, 0, 0));
    EXPECT_EQ(1, dlg.creates);  // WM_CREATE never reaches OnCreate

    dlg.userAnswer = 0x1234;
    EXPECT_EQ(0x1234, SharedWndProc(wnd, 0x7FFF, 0, 0));
    EXPECT_EQ(0x1234, SharedWndProc(wnd, 0xC000, 0, 0));
    for (UINT msg : {0x8000u, 0x9000u, 0xBFFFu})
        EXPECT_EQ(0, SharedWndProc(wnd, msg, 0, 0)) << std::hex << msg;

    dlg.handled = TRUE;
    EXPECT_EQ(0, SharedWndProc(wnd, WM_COMMAND, 4321, 0));
    EXPECT_EQ(4321, dlg.commands.back());

    dlg.stored = 0x55;
    EXPECT_EQ(0x55, SharedWndProc(wnd, WM_NCHITTEST, 0, 0));
    EXPECT_EQ(0x55, SharedWndProc(wnd, WM_CTLCOLORSTATIC, 0, 0));
    EXPECT_EQ(0x55, SharedWndProc(wnd, WM_CTLCOLORMSGBOX, 0, 0));
    EXPECT_EQ(9, SharedWndProc(wnd, WM_MOUSEMOVE, 0, 0));
    EXPECT_EQ(0, SharedWndProc(wnd, WM_QUERYOPEN, 0, 0));  // TDlg's default answer
    EXPECT_EQ(0, SharedWndProc(wnd, WM_SIZE, 0, 0));

    // refusing a logoff: processed, with message result 0
    dlg.queryEndSession = TRUE;
    EXPECT_EQ(0, SharedWndProc(wnd, WM_QUERYENDSESSION, 0, 0));
    EXPECT_NE(0, SendMessageA(wnd, WM_QUERYENDSESSION, 0, 0));
    dlg.queryEndSession = FALSE;
    EXPECT_EQ(1, SharedWndProc(wnd, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(0, SendMessageA(wnd, WM_QUERYENDSESSION, 0, 0));
}

HWND Focused(TDlg &dlg, int id) { return GetDlgItem(dlg.hWnd, id); }

void PostKey(HWND wnd, UINT vk)
{
    PostMessageA(wnd, WM_KEYDOWN, vk, 1);
    PostMessageA(wnd, WM_KEYUP, vk, 0xC0000001);
}

// Pumps as the framework's loop does: every message through RoutePreTranslate.
void PumpThroughFramework(TWin &any)
{
    while (any.PumpOne()) {
    }
}

TEST_F(Dialogs, TabMovesTheFocusInAModelessDialog)
{
    TTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    SetForegroundWindow(dlg.hWnd);
    SetFocus(Focused(dlg, IDC_TEST_EDIT1));
    ASSERT_EQ(Focused(dlg, IDC_TEST_EDIT1), GetFocus());
    PostKey(GetFocus(), VK_TAB);
    PumpThroughFramework(dlg);
    EXPECT_EQ(Focused(dlg, IDC_TEST_EDIT2), GetFocus());
}

TEST_F(Dialogs, AModalDialogOnlyAppliesAccelerators)
{
    TTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    SetForegroundWindow(dlg.hWnd);
    SetFocus(Focused(dlg, IDC_TEST_EDIT1));
    dlg.modal = TRUE;  // as while RunModal runs
    dlg.handled = TRUE;
    MSG tab = {GetFocus(), WM_KEYDOWN, VK_TAB, 1};
    EXPECT_FALSE(dlg.PreTranslate(&tab));
    EXPECT_EQ(Focused(dlg, IDC_TEST_EDIT1), GetFocus());

    ACCEL accel = {FVIRTKEY, VK_F5, 900};
    dlg.hAccel = CreateAcceleratorTableA(&accel, 1);
    MSG f5 = {GetFocus(), WM_KEYDOWN, VK_F5, 1};
    EXPECT_TRUE(dlg.PreTranslate(&f5));
    ASSERT_FALSE(dlg.commands.empty());
    EXPECT_EQ(900, dlg.commands.back());
    DestroyAcceleratorTable(dlg.hAccel);
    dlg.hAccel = NULL;
    dlg.modal = FALSE;
}

// A plain window with its own procedure, for subclassing.
std::vector<MSG> prevSaw;
const UINT MSG_LEFT_ALONE = WM_USER + 5, MSG_TAKEN = WM_USER + 6;

LRESULT CALLBACK PreviousProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    prevSaw.push_back({hwnd, msg, w, l});
    if (msg == MSG_LEFT_ALONE)
        return 0x77;
    return DefWindowProcA(hwnd, msg, w, l);
}

HWND CreatePlainWindow(HWND parent = NULL)
{
    static ATOM atom;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PreviousProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "QwillTestPlain";
        atom = RegisterClassA(&wc);
    }
    return CreateWindowExA(0, "QwillTestPlain", "", parent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, parent, NULL,
                           GetModuleHandleA(NULL), NULL);
}

bool PrevSaw(UINT msg)
{
    for (const MSG &m : prevSaw)
        if (m.message == msg)
            return true;
    return false;
}

class TRecSub : public TSubclassWin {
public:
    explicit TRecSub(TWin *parent = NULL) : TSubclassWin(parent) {}
    int preTranslated = 0;
    BOOL OnUserMessage(UINT msg, WPARAM, LPARAM) override { return msg == MSG_TAKEN; }
    BOOL PreTranslate(MSG *msg) override
    {
        preTranslated++;
        return TSubclassWin::PreTranslate(msg);
    }
};

TEST_F(Dialogs, SubclassedWindowPassesOnWhatItLeaves)
{
    HWND wnd = CreatePlainWindow();
    TRecSub sub;
    EXPECT_TRUE(sub.AttachWindow(wnd));
    EXPECT_EQ((LONG_PTR)SharedWndProc, GetWindowLongPtrA(wnd, GWLP_WNDPROC));
    EXPECT_EQ(&sub, FindWindowObject(wnd));

    prevSaw.clear();
    EXPECT_EQ(0x77, SendMessageA(wnd, MSG_LEFT_ALONE, 0xAB, 0xCD));
    ASSERT_EQ(1u, prevSaw.size());
    EXPECT_EQ(0xABu, prevSaw[0].wParam);
    EXPECT_EQ(0xCD, prevSaw[0].lParam);

    prevSaw.clear();
    EXPECT_EQ(1, SendMessageA(wnd, MSG_TAKEN, 0, 0));
    EXPECT_TRUE(prevSaw.empty());

    DestroyWindow(wnd);
    EXPECT_TRUE(PrevSaw(WM_NCDESTROY));
    EXPECT_EQ(nullptr, sub.hWnd);
    EXPECT_EQ(nullptr, FindWindowObject(wnd));
}

TEST_F(Dialogs, KeystrokesInASubclassedControl)
{
    TTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    SetForegroundWindow(dlg.hWnd);
    HWND edit1 = Focused(dlg, IDC_TEST_EDIT1);

    // TSubclassWin keeps keystrokes for itself: the dialog's Tab handling does not run
    TRecSub sub(&dlg);
    sub.AttachWindow(edit1);
    SetFocus(edit1);
    PostKey(edit1, VK_TAB);
    PumpThroughFramework(dlg);
    EXPECT_GE(sub.preTranslated, 2);
    EXPECT_EQ(edit1, GetFocus());
    dlg.Destroy();

    // TControlWin hands them to its dialog, which moves the focus
    TTestDlg dlg2;
    ASSERT_TRUE(dlg2.Create());
    SetForegroundWindow(dlg2.hWnd);
    TControlWin control(&dlg2);
    control.AttachWindow(Focused(dlg2, IDC_TEST_EDIT2));
    SetFocus(control.hWnd);
    PostKey(control.hWnd, VK_TAB);
    PumpThroughFramework(dlg2);
    EXPECT_EQ(Focused(dlg2, IDC_TEST_EDIT3), GetFocus());

    TControlWin orphan;  // no parent: nothing consumes the keystroke
    MSG tab = {control.hWnd, WM_KEYDOWN, VK_TAB, 1};
    EXPECT_FALSE(orphan.PreTranslate(&tab));
}

}  // namespace
