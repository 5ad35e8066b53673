// Window object: handler dispatch and its four result rules, binding, the window table.
#include "tapp.h"
#include "twin.h"
#include "winwait.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

namespace {

const LRESULT DEFAULT_ANSWER = 0x5A5A;

struct Call {
    const char *handler;
    UINT msg;
    WPARAM a;
    LPARAM b;
    LPARAM c;
};

// Records every handler call; answers with `answer`, stores `stored` where a handler may.
class TRecWin : public TWin {
public:
    std::vector<Call> calls;
    std::vector<UINT> defaults;
    BOOL answer = FALSE;
    LRESULT stored = 0;
    bool store = false;
    bool fakeDefault = true;

    BOOL Rec(const char *handler, UINT msg, WPARAM a = 0, LPARAM b = 0, LPARAM c = 0)
    {
        calls.push_back({handler, msg, a, b, c});
        return answer;
    }
    const Call *Last(const char *handler)
    {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (strcmp(it->handler, handler) == 0)
                return &*it;
        return nullptr;
    }

    BOOL OnCommand(WORD code, WORD id, HWND ctl) override { return Rec("OnCommand", WM_COMMAND, code, id, (LPARAM)ctl); }
    BOOL OnSize(UINT type, WORD w, WORD h) override { return Rec("OnSize", WM_SIZE, type, w, h); }
    BOOL OnClose() override { return Rec("OnClose", WM_CLOSE); }
    BOOL OnQueryEndSession(WPARAM w, LPARAM l) override { return Rec("OnQueryEndSession", WM_QUERYENDSESSION, w, l); }
    BOOL OnSetCursor(HWND w, WORD hit, WORD mouse) override { return Rec("OnSetCursor", WM_SETCURSOR, (WPARAM)w, hit, mouse); }
    BOOL OnNcHitTest(LPARAM pos, LRESULT *result) override
    {
        if (store)
            *result = stored;
        return Rec("OnNcHitTest", WM_NCHITTEST, 0, pos);
    }
    BOOL OnCtlColor(UINT msg, HDC dc, HWND ctl, LRESULT *result) override
    {
        if (store)
            *result = stored;
        return Rec("OnCtlColor", msg, (WPARAM)dc, (LPARAM)ctl);
    }
    BOOL OnScroll(UINT msg, WORD code, WORD pos, HWND bar) override { return Rec("OnScroll", msg, code, pos, (LPARAM)bar); }
    BOOL OnButton(UINT msg, WPARAM w, LPARAM l) override { return Rec("OnButton", msg, w, l); }
    BOOL OnUserMessage(UINT msg, WPARAM w, LPARAM l) override { return Rec("OnUserMessage", msg, w, l); }
    BOOL OnTimer(WPARAM id, LPARAM cb) override { return Rec("OnTimer", WM_TIMER, id, cb); }

    LRESULT DefaultProc(UINT msg, WPARAM w, LPARAM l) override
    {
        defaults.push_back(msg);
        if (fakeDefault && msg >= WM_USER)
            return DEFAULT_ANSWER;
        if (fakeDefault && (msg == WM_COMMAND || msg == WM_NCHITTEST || msg == WM_SETCURSOR))
            return DEFAULT_ANSWER;
        return TWin::DefaultProc(msg, w, l);
    }
    bool DefaultSaw(UINT msg) { return std::find(defaults.begin(), defaults.end(), msg) != defaults.end(); }
};

// Only DefaultProc is recorded: the handlers keep TWin's defaults.
class TPlainWin : public TWin {
public:
    std::vector<UINT> defaults;
    LRESULT DefaultProc(UINT msg, WPARAM w, LPARAM l) override
    {
        defaults.push_back(msg);
        return TWin::DefaultProc(msg, w, l);
    }
};

class TwinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureAppClass(); }
    void SetUp() override { ASSERT_TRUE(win.Create(NULL, "rec", WS_OVERLAPPEDWINDOW)); }
    void TearDown() override { win.Destroy(); }
    TRecWin win;
};

TEST_F(TwinTest, RuleZeroOrDefault)
{
    win.answer = TRUE;
    HWND button = (HWND)0x1234;
    EXPECT_EQ(0, SendMessageA(win.hWnd, WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), (LPARAM)button));
    const Call *c = win.Last("OnCommand");
    ASSERT_TRUE(c);
    EXPECT_EQ((WPARAM)BN_CLICKED, c->a);
    EXPECT_EQ(77, c->b);
    EXPECT_EQ((LPARAM)button, c->c);
    EXPECT_FALSE(win.DefaultSaw(WM_COMMAND));

    win.answer = FALSE;
    EXPECT_EQ(DEFAULT_ANSWER, SendMessageA(win.hWnd, WM_COMMAND, 5, 0));
    EXPECT_TRUE(win.DefaultSaw(WM_COMMAND));
}

TEST_F(TwinTest, RuleValueOrDefault)
{
    win.answer = 7;
    EXPECT_EQ(7, SendMessageA(win.hWnd, WM_SETCURSOR, (WPARAM)win.hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    const Call *c = win.Last("OnSetCursor");
    ASSERT_TRUE(c);
    EXPECT_EQ(HTCLIENT, c->b);
    EXPECT_EQ(WM_MOUSEMOVE, c->c);
    win.answer = FALSE;
    EXPECT_EQ(DEFAULT_ANSWER, SendMessageA(win.hWnd, WM_SETCURSOR, (WPARAM)win.hWnd, 0));
}

TEST_F(TwinTest, RuleStoredOrDefault)
{
    win.answer = TRUE;
    win.store = true;
    win.stored = HTCAPTION;
    EXPECT_EQ(HTCAPTION, SendMessageA(win.hWnd, WM_NCHITTEST, 0, MAKELPARAM(3, 4)));
    win.store = false;  // handled, nothing stored: the result variable's 0
    EXPECT_EQ(0, SendMessageA(win.hWnd, WM_NCHITTEST, 0, 0));
    win.answer = FALSE;
    EXPECT_EQ(DEFAULT_ANSWER, SendMessageA(win.hWnd, WM_NCHITTEST, 0, 0));

    win.answer = TRUE;
    win.store = true;
    win.stored = 0x777;
    for (UINT msg = WM_CTLCOLORMSGBOX; msg <= WM_CTLCOLORSTATIC; msg++)
        EXPECT_EQ(0x777, SendMessageA(win.hWnd, msg, 0, 0)) << msg;
}

TEST_F(TwinTest, RuleValueWithoutDefault)
{
    win.answer = FALSE;
    EXPECT_EQ(0, SendMessageA(win.hWnd, WM_QUERYENDSESSION, 0, 0));
    EXPECT_FALSE(win.DefaultSaw(WM_QUERYENDSESSION));
    win.answer = TRUE;
    EXPECT_EQ(1, SendMessageA(win.hWnd, WM_QUERYENDSESSION, 0, 0));
}

TEST_F(TwinTest, UserRangeBoundaries)
{
    win.answer = 3;
    for (UINT msg : {0x0400u, 0x7FFFu, 0xC000u, 0xFFFFu}) {
        win.calls.clear();
        EXPECT_EQ(3, SendMessageA(win.hWnd, msg, 11, 22)) << std::hex << msg;
        ASSERT_EQ(1u, win.calls.size()) << std::hex << msg;
        EXPECT_EQ(msg, win.calls[0].msg);
        EXPECT_EQ(11u, win.calls[0].a);
        EXPECT_EQ(22, win.calls[0].b);
    }
    for (UINT msg : {0x8000u, 0xBFFFu}) {
        win.calls.clear();
        EXPECT_EQ(DEFAULT_ANSWER, SendMessageA(win.hWnd, msg, 0, 0)) << std::hex << msg;
        EXPECT_TRUE(win.calls.empty()) << std::hex << msg;
    }
}

TEST_F(TwinTest, UnpacksScrollAndButtons)
{
    win.answer = TRUE;
    SendMessageA(win.hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 42), 0);
    const Call *c = win.Last("OnScroll");
    ASSERT_TRUE(c);
    EXPECT_EQ((UINT)WM_VSCROLL, c->msg);
    EXPECT_EQ((WPARAM)SB_THUMBTRACK, c->a);
    EXPECT_EQ(42, c->b);
    for (UINT msg : {WM_NCLBUTTONDOWN, WM_NCRBUTTONDBLCLK, WM_LBUTTONDOWN, WM_RBUTTONDBLCLK}) {
        win.calls.clear();
        EXPECT_EQ(0, SendMessageA(win.hWnd, msg, 1, 2));
        ASSERT_EQ(1u, win.calls.size());
        EXPECT_STREQ("OnButton", win.calls[0].handler);
    }
    win.calls.clear();
    SendMessageA(win.hWnd, WM_MBUTTONDOWN, 0, 0);  // middle button: no handler
    EXPECT_TRUE(win.calls.empty());
}

TEST_F(TwinTest, CloseHandledKeepsTheWindow)
{
    win.answer = TRUE;
    SendMessageA(win.hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(win.hWnd));
    win.answer = FALSE;
    HWND old = win.hWnd;
    SendMessageA(win.hWnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(nullptr, win.hWnd);
}

TEST(TwinDefaults, SessionAndOpenAnswers)
{
    EnsureAppClass();
    TPlainWin win;
    ASSERT_TRUE(win.Create());
    EXPECT_EQ(1, SendMessageA(win.hWnd, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(1, SendMessageA(win.hWnd, WM_QUERYOPEN, 0, 0));
    win.defaults.clear();
    EXPECT_EQ(0, SendMessageA(win.hWnd, WM_ENDSESSION, TRUE, 0));
    EXPECT_TRUE(win.defaults.empty());
}

class TFirstMessageWin : public TWin {
public:
    UINT first = 0;
    TWin *pendingAtFirst = (TWin *)1;
    LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) override
    {
        if (!first) {
            first = msg;
            pendingAtFirst = pendingWin;
        }
        return TWin::HandleMessage(msg, w, l);
    }
};

TEST(TwinBinding, FirstMessageBindsThePendingObject)
{
    EnsureAppClass();
    TFirstMessageWin win;
    ASSERT_TRUE(win.Create(NULL, "bind"));
    EXPECT_NE(0u, win.first);
    EXPECT_EQ(nullptr, win.pendingAtFirst);
    EXPECT_EQ(nullptr, pendingWin);
    EXPECT_EQ(&win, FindWindowObject(win.hWnd));
}

TEST(TwinBinding, NoPendingObjectMeansDefaultProcessing)
{
    EnsureAppClass();
    ASSERT_EQ(nullptr, pendingWin);
    int before = WindowTable.count;
    HWND raw = CreateWindowExA(0, APP_CLASS_NAME, "raw", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL,
                               appInstance, NULL);
    ASSERT_TRUE(raw);
    EXPECT_EQ(nullptr, FindWindowObject(raw));
    EXPECT_EQ(before, WindowTable.count);
    char text[16] = "";
    GetWindowTextA(raw, text, sizeof(text));
    EXPECT_STREQ("raw", text);  // DefWindowProcA kept the caption
    DestroyWindow(raw);
}

TEST(TwinBinding, FailedCreateLeavesNothingPending)
{
    EnsureAppClass();
    TWin win;
    int before = WindowTable.count;
    EXPECT_FALSE(win.Create("no such class"));
    EXPECT_EQ(nullptr, pendingWin);
    EXPECT_EQ(before, WindowTable.count);
    EXPECT_EQ(nullptr, win.hWnd);
}

TEST(TwinBinding, NullClassNameMeansTapp)
{
    EnsureAppClass();
    TWin win;
    ASSERT_TRUE(win.Create());
    char name[32];
    GetClassNameA(win.hWnd, name, sizeof(name));
    EXPECT_STREQ("tapp", name);
}

TEST(TwinLifecycle, NcDestroyDetachesAndKeepsTheRectangle)
{
    EnsureAppClass();
    TRecWin win;
    win.rect = {10, 20, 300, 200};  // x, y, width, height
    ASSERT_TRUE(win.Create(NULL, "r", WS_POPUP));
    HWND old = win.hWnd;
    EXPECT_TRUE(DestroyWindow(old));
    EXPECT_EQ(nullptr, win.hWnd);
    EXPECT_EQ(nullptr, FindWindowObject(old));
    EXPECT_EQ(10, win.rect.left);
    EXPECT_EQ(20, win.rect.top);
    EXPECT_EQ(310, win.rect.right);
    EXPECT_EQ(220, win.rect.bottom);
    EXPECT_FALSE(win.Destroy());
    EXPECT_EQ(nullptr, win.GetParent());

    TWin child(&win);
    EXPECT_EQ(&win, child.GetParent());
}

TEST(TwinLifecycle, DeletingTheObjectDestroysItsWindow)
{
    EnsureAppClass();
    TWin *win = new TRecWin;
    ASSERT_TRUE(win->Create());
    HWND wnd = win->hWnd;
    delete win;
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(nullptr, FindWindowObject(wnd));
}

TEST(WindowTable, GrowsKeepsOrderAndRefusesDuplicates)
{
    const int n = 250;
    std::vector<TWin> objects(n);
    int base = WindowTable.count;
    for (int i = 0; i < n; i++) {
        objects[i].hWnd = (HWND)(ULONG_PTR)(0x70000000 + i);
        AddWindowObject(&objects[i]);
    }
    ASSERT_EQ(base + n, WindowTable.count);
    for (int i = 0; i < n; i++)
        ASSERT_EQ(&objects[i], WindowTable.entries[base + i]);

    TWin twin;
    twin.hWnd = objects[5].hWnd;  // a different object with a handle already there
    AddWindowObject(&twin);
    EXPECT_EQ(base + n, WindowTable.count);
    EXPECT_EQ(&objects[5], FindWindowObject(twin.hWnd));

    RemoveWindowObject(&objects[100]);
    RemoveWindowObject(&twin);  // neither in the table nor pending
    EXPECT_EQ(base + n - 1, WindowTable.count);
    EXPECT_EQ(&objects[99], WindowTable.entries[base + 99]);
    EXPECT_EQ(&objects[101], WindowTable.entries[base + 100]);
    int index = -1;
    EXPECT_FALSE(IndexOfWindowObject(&objects[100], &index));
    EXPECT_TRUE(IndexOfWindowObject(&objects[200], &index));
    EXPECT_EQ(base + 199, index);

    for (int i = 0; i < n; i++) {
        RemoveWindowObject(&objects[i]);
        objects[i].hWnd = NULL;  // nothing for the destructor to destroy
    }
    EXPECT_EQ(base, WindowTable.count);
    twin.hWnd = NULL;
}

TEST(WindowTable, RemovingThePendingObjectClearsIt)
{
    TWin win;
    SetPendingWindowObject(&win);
    RemoveWindowObject(&win);
    EXPECT_EQ(nullptr, pendingWin);
}

}  // namespace
