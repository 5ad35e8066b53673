// Application object: the message loop, the PreTranslate route, the pumps, old systems.
#include "tapp.h"
#include "twin.h"
#include "winwait.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class TKeyWin : public TWin {
public:
    explicit TKeyWin(TWin *parent = NULL) : TWin(parent) {}
    int preTranslated = 0;
    BOOL consume = FALSE;
    BOOL PreTranslate(MSG *msg) override
    {
        preTranslated++;
        return consume;
    }
};

class TQuitApp : public TApp {
public:
    explicit TQuitApp(BOOL created) : TApp(GetModuleHandleA(NULL), NULL, SW_SHOW), created(created) {}
    BOOL CreateMainWindow() override
    {
        if (!created)
            return FALSE;
        TWin *win = new TWin;
        mainWnd = win;
        win->Create(NULL, "main", WS_POPUP);
        ::PostQuitMessage(5);
        return TRUE;
    }
    BOOL created;
};

TEST(AppRun, ReturnsTheQuitCodeAndDeletesTheMainWindow)
{
    HWND mainWnd;
    {
        TQuitApp app(TRUE);
        EXPECT_EQ(5, app.Run());
        mainWnd = app.mainWnd->hWnd;
        EXPECT_TRUE(IsWindow(mainWnd));
    }
    EXPECT_FALSE(IsWindow(mainWnd));
}

TEST(AppRun, NoMainWindowEndsAtOnce)
{
    TQuitApp app(FALSE);
    EXPECT_EQ(EXIT_NO_MAIN_WINDOW, app.Run());
    EXPECT_EQ(nullptr, app.mainWnd);
}

TEST(AppRun, AnExistingTappWindowSkipsRegistration)
{
    EnsureAppClass();
    TQuitApp app(TRUE);
    TWin win;
    ASSERT_TRUE(win.Create(NULL, "", WS_POPUP));  // a "tapp" window exists now
    EXPECT_TRUE(app.RegisterAppClass());
}

TEST(RoutePreTranslate, ReachesTheNearestObjectOnTheAncestorChain)
{
    EnsureAppClass();
    TKeyWin outer;
    ASSERT_TRUE(outer.Create(NULL, "outer", WS_OVERLAPPEDWINDOW));
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, outer.hWnd, NULL, NULL, NULL);
    HWND deeper = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, plain, NULL, NULL, NULL);
    TKeyWin inner(&outer);
    inner.rect = {0, 0, 10, 10};
    ASSERT_TRUE(inner.Create(NULL, "", WS_CHILD));

    MSG msg = {deeper, WM_KEYDOWN, VK_TAB, 0};
    outer.consume = TRUE;
    EXPECT_TRUE(RoutePreTranslate(&msg));
    EXPECT_EQ(1, outer.preTranslated);

    msg.hwnd = inner.hWnd;  // an object of its own is asked first, and only it
    EXPECT_FALSE(RoutePreTranslate(&msg));
    EXPECT_EQ(1, inner.preTranslated);
    EXPECT_EQ(1, outer.preTranslated);

    msg.hwnd = NULL;  // thread message
    EXPECT_FALSE(RoutePreTranslate(&msg));
    EXPECT_EQ(1, outer.preTranslated);
}

class TTimerWin : public TWin {
public:
    int timers = 0;
    WPARAM lastTimer = 0;
    BOOL nestedResult = FALSE;
    BOOL OnTimer(WPARAM id, LPARAM) override
    {
        timers++;
        lastTimer = id;
        if (id == 1) {
            ::KillTimer(hWnd, 1);
            nestedResult = PumpWait(1000);  // already waiting: returns at once
        }
        return TRUE;
    }
};

TEST(Pumps, PumpWaitEndsOnItsOwnTimerAndNests)
{
    EnsureAppClass();
    TTimerWin win;
    ASSERT_TRUE(win.Create(NULL, "", WS_POPUP));
    EXPECT_TRUE(win.PumpWait(0));
    SetTimer(win.hWnd, 1, 10, NULL);
    EXPECT_TRUE(win.PumpWait(200));
    EXPECT_EQ(1, win.timers);
    EXPECT_TRUE(win.nestedResult);
    EXPECT_EQ(1u, win.lastTimer);  // the 32000 tick was not dispatched
    EXPECT_FALSE(win.waitBusy);
}

TEST(Pumps, QuitDuringAWaitIsHandedBack)
{
    EnsureAppClass();
    TTimerWin win;
    ASSERT_TRUE(win.Create(NULL, "", WS_POPUP));
    PostQuitMessage(7);
    DWORD start = GetTickCount();
    EXPECT_TRUE(win.PumpWait(20000));
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_FALSE(win.PumpOne());  // sees the quit and leaves it queued
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    PumpPending();
    EXPECT_EQ(0, win.timers);  // the wait's timer was killed
}

TEST(Pumps, PumpOneDispatchesOneMessage)
{
    EnsureAppClass();
    TKeyWin win;
    ASSERT_TRUE(win.Create(NULL, "", WS_POPUP));
    PumpPending();
    EXPECT_FALSE(win.PumpOne());
    win.PostMessage(WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(win.PumpOne());
    EXPECT_EQ(1, win.preTranslated);
}

// Old Windows: a per-program Wine setting makes GetVersion report 3.1 to the probe, which
// must then load the ctl3d32.dll beside it, call both entries, and free it again.
class OldSystems : public ::testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\ctl3dprobe.exe");
    }
    void SetVersion(const char *version)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\ctl3dprobe.exe",
                                                 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
        RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version, strlen(version) + 1);
        HKEY overrides;
        RegCreateKeyExA(key, "DllOverrides", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &overrides, NULL);
        RegSetValueExA(overrides, "ctl3d32", 0, REG_SZ, (const BYTE *)"native", 7);
        RegCloseKey(overrides);
        RegCloseKey(key);
    }
    int RunProbe()
    {
        std::string cmd = std::string("\"") + ProgramFolder() + "ctl3dprobe.exe\"";
        STARTUPINFOA si = {sizeof(si)};
        PROCESS_INFORMATION pi;
        if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
            return -1;
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = (DWORD)-1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return (int)code;
    }
};

// Bits of the probe's exit code.
const int PROBE_MAJOR_BELOW_4 = 1, PROBE_LOADED = 2, PROBE_REGISTERED = 4, PROBE_SUBCLASSED = 8,
          PROBE_FREED = 16;

TEST_F(OldSystems, Windows31LoadsAndFreesCtl3d)
{
    SetVersion("win31");
    EXPECT_EQ(PROBE_MAJOR_BELOW_4 | PROBE_LOADED | PROBE_REGISTERED | PROBE_SUBCLASSED | PROBE_FREED,
              RunProbe());
}

TEST_F(OldSystems, CurrentWindowsLoadsNothing)
{
    SetVersion("win7");
    EXPECT_EQ(PROBE_FREED, RunProbe());
}

}  // namespace
