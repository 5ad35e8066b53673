// The window framework and the registry stack on their own: hidden windows and a dialog that get
// real messages, and real keys, through classes derived as a program derives them.
#include "tapp.h"
#include "tdlg.h"
#include "tregist.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <memory>
#include <vector>

// TWin's operations in the order of their list. A class compiled against the list alone (in
// another module) must find each in the same slot; only the slots of those not called here
// matter. (Outside the unnamed namespace, so that the compiler cannot assume it has no class.)
struct ListedWin {
    virtual ~ListedWin() {}
    virtual void Show() = 0, Create() = 0, Destroy() = 0, OnCommand() = 0, OnSysCommand() = 0, OnCreate() = 0,
        OnClose() = 0, OnNcDestroy() = 0, OnQueryEndSession() = 0, OnEndSession() = 0, OnQueryOpen() = 0,
        OnPaint() = 0, OnNcPaint() = 0, OnSize() = 0, OnGetMinMaxInfo() = 0, OnTimer() = 0, OnSetCursor() = 0,
        OnMouseMove() = 0, OnNcHitTest() = 0, OnMeasureItem() = 0, OnDrawItem() = 0, OnMenuSelect() = 0,
        OnDropFiles() = 0, OnNotify() = 0, OnContextMenu() = 0, OnHotKey() = 0, OnScroll() = 0, OnButton() = 0,
        OnInitMenu() = 0, OnCtlColor() = 0, OnFocus() = 0;
    virtual BOOL OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual void GetDlgItemText() = 0, SetDlgItemText() = 0, GetDlgItem() = 0, MessageBox() = 0,
        BringWindowToTop() = 0, SetForegroundWindow() = 0, ForceForeground() = 0, PostMessage() = 0,
        SendMessage() = 0, SendDlgItemMessage() = 0, GetWindowRect() = 0, SetActiveWindow() = 0,
        SetWindowText() = 0, SetWindowLong() = 0, SetWindowWord() = 0, GetWindowLong() = 0, GetWindowWord() = 0,
        GetParent() = 0;
    virtual BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint) = 0;
    virtual void PumpWait() = 0, PumpOne() = 0, PreTranslate() = 0, HandleMessage() = 0;
    virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

namespace {

const int IDD_PROBE = 100, IDC_HOST = 11;  // test_framework.rc
const LRESULT DEF = 0xDEF;                 // what a probe's default processing answers while probing
const int OWN = -1;                        // a handler answers what its class's own handler does

int answer;    // what the probes' handlers answer
bool probing;  // a probe's DefaultProc answers DEF instead of passing the message on

void Ready()
{
    static char noArgs[] = "";
    struct App : TApp {
        App() : TApp(GetModuleHandleA(NULL), noArgs, SW_HIDE) { RegisterAppClass(); }
        BOOL CreateMainWindow() override { return TRUE; }
    };
    static App app;
}

// Handlers of each rule that answer as the test says, counting their calls, a wrapper, the
// keyboard filter and default processing.
template <class Base> struct Probe : Base {
    using Base::Base;
    int calls = 0, preTranslated = 0;
    BOOL Answer(BOOL own) { return calls++, answer == OWN ? own : answer; }
    BOOL OnClose() override { return Answer(Base::OnClose()); }
    BOOL OnQueryEndSession(WPARAM w, LPARAM l) override { return Answer(Base::OnQueryEndSession(w, l)); }
    BOOL OnEndSession(WPARAM w, LPARAM l) override { return Answer(Base::OnEndSession(w, l)); }
    BOOL OnQueryOpen() override { return Answer(Base::OnQueryOpen()); }
    BOOL OnTimer(WPARAM id, LPARAM proc) override { return Answer(Base::OnTimer(id, proc)); }
    BOOL OnSetCursor(HWND wnd, WORD hit, WORD msg) override { return Answer(Base::OnSetCursor(wnd, hit, msg)); }
    BOOL OnNcHitTest(LPARAM pos, LRESULT *stored) override { return *stored = 5, Answer(Base::OnNcHitTest(pos, stored)); }
    BOOL OnCtlColor(UINT msg, HDC dc, HWND ctl, LRESULT *stored) override
    {
        return *stored = 5, Answer(Base::OnCtlColor(msg, dc, ctl, stored));
    }
    BOOL OnUserMessage(UINT msg, WPARAM w, LPARAM l) override { return Answer(Base::OnUserMessage(msg, w, l)); }
    BOOL MoveWindow(int x, int, int, int, BOOL) override { return x == 7; }
    BOOL PreTranslate(MSG *msg) override { return preTranslated++, Base::PreTranslate(msg); }
    LRESULT DefaultProc(UINT msg, WPARAM w, LPARAM l) override { return probing ? DEF : Base::DefaultProc(msg, w, l); }
};

// Makes a window of no object during its own first message: the object being made must not take it.
struct Maker : TWin {
    HWND plain = NULL;
    TWin *plainObject = NULL;
    int messages = 0;
    LRESULT DefaultProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (messages++ == 0) {
            plain = CreateWindowExA(0, APP_CLASS_NAME, "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, appInstance, NULL);
            plainObject = FindWindowObject(plain);
        }
        return TWin::DefaultProc(msg, w, l);
    }
};

std::vector<UINT> previousSaw;  // by the window procedure that a TSubclassWin replaces

LRESULT CALLBACK Previous(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    previousSaw.push_back(msg);
    return msg == WM_USER ? 42 : DefWindowProcA(wnd, msg, wParam, lParam);
}

TEST(Window, DispatchAndLifecycle)
{
    Ready();
    Probe<TWin> win;
    Probe<TDlg> dlg(IDD_PROBE);
    ASSERT_TRUE(win.Create(NULL, "", WS_POPUP) && dlg.Create());
    // what the window procedure and the dialog procedure answer, by the handler's answer
    struct Row {
        UINT msg;
        int answer;
        LRESULT win, dlg;
    } rows[] = {
        // handled: 0, else default processing (a dialog's: 0, left to the dialog manager)
        {WM_TIMER, 1, 0, 0}, {WM_TIMER, 0, DEF, 0}, {WM_TIMER, OWN, DEF, 0}, {WM_CLOSE, OWN, DEF, 0},
        {WM_ENDSESSION, OWN, 0, 0},
        // handled: the handler's value
        {WM_SETCURSOR, 2, 2, 2}, {WM_SETCURSOR, 0, DEF, 0}, {WM_USER, 3, 3, 3}, {0x7FFF, 3, 3, 3},
        {0xC000, 3, 3, 3}, {0xFFFF, 3, 3, 3},
        // handled: the value the handler stored
        {WM_NCHITTEST, 1, 5, 5}, {WM_NCHITTEST, 0, DEF, 5}, {WM_CTLCOLORSTATIC, 1, 5, 5},
        // the handler's value as it is; a dialog procedure's "processed" refuses the end of the session
        {WM_QUERYENDSESSION, 0, 0, 1}, {WM_QUERYENDSESSION, 1, 1, 0}, {WM_QUERYENDSESSION, OWN, 1, 0},
        {WM_QUERYOPEN, 1, 1, 1}, {WM_QUERYOPEN, OWN, 1, 0},
        // no handler
        {0x8000, 3, DEF, 0}, {0xBFFF, 3, DEF, 0}, {WM_MBUTTONDOWN, 3, DEF, 0},
    };
    for (const Row &row : rows) {
        answer = row.answer, probing = true;
        EXPECT_EQ(row.win, SharedWndProc(win.hWnd, row.msg, 0, 0)) << std::hex << row.msg << " " << row.answer;
        EXPECT_EQ(row.dlg, SharedWndProc(dlg.hWnd, row.msg, 0, 0)) << std::hex << row.msg << " " << row.answer;
        probing = false;
    }
    answer = OWN;
    EXPECT_TRUE(dlg.SendMessage(WM_QUERYENDSESSION, 0, 0));  // the dialog manager lets the session end

    // a message for the window that carries the wait's timer id ends the wait, undispatched
    const int calls = win.calls;
    win.PostMessage(WM_USER, PUMPWAIT_TIMER_ID, 0);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(win.PumpWait(3000));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(calls, win.calls);

    // a key in a control that a TControlWin took over gets the dialog's keyboard handling
    TControlWin host(&dlg);
    ASSERT_TRUE(host.AttachWindow(dlg.GetDlgItem(IDC_HOST)));
    MSG tab = {host.hWnd, WM_KEYDOWN, VK_TAB, 0};
    EXPECT_TRUE(RoutePreTranslate(&tab));
    EXPECT_EQ(1, dlg.preTranslated);

    // a subclassed window: what the object leaves goes on to the previous procedure, whose
    // answer comes back, WM_NCDESTROY too, and after it the object has no window
    WNDCLASSA previous = {0, Previous, 0, 0, appInstance, NULL, NULL, NULL, NULL, "previous"};
    RegisterClassA(&previous);
    HWND wnd = CreateWindowExA(0, "previous", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, appInstance, NULL);
    Probe<TSubclassWin> sub;
    ASSERT_TRUE(sub.AttachWindow(wnd));
    answer = 0;
    EXPECT_EQ(42, SendMessageA(wnd, WM_USER, 0, 0));
    answer = 7;
    EXPECT_EQ(7, SendMessageA(wnd, WM_USER, 0, 0));
    EXPECT_EQ(1, std::count(previousSaw.begin(), previousSaw.end(), (UINT)WM_USER));
    DestroyWindow(wnd);
    EXPECT_EQ((UINT)WM_NCDESTROY, previousSaw.back());
    EXPECT_TRUE(sub.hWnd == NULL && FindWindowObject(wnd) == NULL);

    // the object being created leaves pending before its first message is handled
    Maker maker;
    ASSERT_TRUE(maker.Create(NULL, "", WS_POPUP));
    EXPECT_TRUE(maker.plain && !maker.plainObject);
    EXPECT_TRUE(FindWindowObject(maker.hWnd) == &maker && pendingWin == NULL);
    DestroyWindow(maker.plain);

    // past 100 windows the table grows by 100 entries; removals keep the others' order
    const int base = WindowTable.count;
    std::vector<std::unique_ptr<TWin>> wins;
    std::vector<TWin *> staying;
    for (int i = 0; i < 150; i++) {
        wins.emplace_back(new TWin);
        ASSERT_TRUE(wins.back()->Create(NULL, "", WS_POPUP));
    }
    EXPECT_EQ((base + 150 + 99) / 100 * 100 * sizeof(TWin *), _msize(WindowTable.entries));
    for (int i = 0; i < 150; i++)
        i % 3 ? staying.push_back(wins[i].get()) : (void)wins[i]->Destroy();
    EXPECT_EQ(staying, std::vector<TWin *>(WindowTable.entries + base, WindowTable.entries + WindowTable.count));
}

// A class compiled against the list of TWin's operations overrides what it means to: a handler,
// a wrapper, default processing.
TEST(Window, OperationsInTheirListedSlots)
{
    Probe<TWin> win;
    ListedWin *volatile listed = reinterpret_cast<ListedWin *>(static_cast<TWin *>(&win));  // of no known class
    answer = 9, probing = true;
    EXPECT_EQ(9, listed->OnUserMessage(WM_USER, 0, 0));
    EXPECT_TRUE(listed->MoveWindow(7, 0, 0, 0, FALSE));
    EXPECT_EQ(DEF, listed->DefaultProc(WM_USER, 0, 0));
    probing = false;
}

// The handles that the next keys opened get: a key left open keeps one of them.
std::vector<HKEY> NextHandles()
{
    std::vector<HKEY> keys(REGIST_MAX_KEYS);
    for (HKEY &key : keys)
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key);
    for (HKEY key : keys)
        RegCloseKey(key);
    return keys;
}

TEST(Registry, KeyStack)
{
    const std::string scratch = "Software\\QwillFrameworkTest";
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str());
    const std::vector<HKEY> free = NextHandles();
    std::string deepest = scratch;
    {
        TRegist reg(HKEY_CURRENT_USER);
        char buf[MAX_PATH];
        // nothing open: everything is refused, and the top key is left alone
        EXPECT_FALSE(reg.CloseKey() || reg.SetString("qwilltest", "x") || reg.DeleteValue("qwilltest") ||
                     reg.DeleteKey("Software") || reg.GetString("Software", buf, MAX_PATH) ||
                     reg.EnumKey(0, buf, MAX_PATH) || reg.EnumValue(0, buf, MAX_PATH));
        EXPECT_NE(ERROR_SUCCESS, RegQueryValueExA(HKEY_CURRENT_USER, "qwilltest", NULL, NULL, NULL, NULL));
        EXPECT_FALSE(reg.OpenKey(scratch.c_str()));  // opening makes nothing
        ASSERT_TRUE(reg.OpenKey(scratch.c_str(), TRUE));
        const std::string fits(MAX_PATH - 1, 'p'), longer(MAX_PATH, 'p');
        ASSERT_TRUE(reg.SetString("fits", fits.c_str()) && reg.SetString("longer", longer.c_str()) &&
                    reg.OpenKey("sub", TRUE) && reg.SetString(NULL, "sub's") && reg.CloseKey() &&
                    reg.SetDword("dword", 0x00636261));
        RegSetKeyValueA(HKEY_CURRENT_USER, scratch.c_str(), "raw", REG_BINARY, "abc", 3);  // stored without its end
        // what fits the buffer with its end, and nothing beyond it; a name that is only a
        // subkey's: its default value; a number's bytes
        const struct {
            const char *name;
            int size;
            std::string read;  // "": FALSE
        } reads[] = {{"fits", MAX_PATH, fits}, {"longer", MAX_PATH, ""}, {"sub", MAX_PATH, "sub's"},
                     {"dword", MAX_PATH, "abc"}, {"raw", 4, "abc"}, {"raw", 3, ""}, {"missing", MAX_PATH, ""}};
        for (const auto &read : reads) {
            char value[MAX_PATH + 8];
            memset(value, 'x', sizeof(value));
            BOOL ok = reg.GetString(read.name, value, read.size);
            EXPECT_EQ(!read.read.empty(), ok != 0) << read.name << " " << read.size;
            EXPECT_TRUE(!ok || read.read == value) << read.name << " " << read.size;
            EXPECT_EQ("xxxxxxxx", std::string(value + read.size, 8)) << read.name << " " << read.size;
        }
        // 30 keys deep: the 31st is refused, and the 30th stays the current key
        for (int depth = 2; depth <= REGIST_MAX_KEYS; depth++, deepest += "\\k")
            ASSERT_TRUE(reg.OpenKey("k", TRUE)) << depth;
        EXPECT_FALSE(reg.OpenKey("k", TRUE));
        EXPECT_TRUE(reg.OpenKeyCount() == REGIST_MAX_KEYS && reg.SetString("deepest", "30"));
    }
    EXPECT_EQ(free, NextHandles());  // the destructor closed every key
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, deepest.c_str(), "deepest", RRF_RT_REG_SZ, NULL, NULL, NULL));
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (deepest + "\\k").c_str(), 0, KEY_READ, &key));
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str());
}

}  // namespace
