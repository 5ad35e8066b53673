// The real setup.exe as its own process: with its dialog, driven as a person drives it, and
// unattended, each run checked on the files, shortcuts, registry and key containers it leaves.
// What every test of it shares: the registry places it writes, and the fixture that drives it.
#ifndef SETUP_FIXTURE_H
#define SETUP_FIXTURE_H

#include "resource.h"
#include "shortcut.h"
#include "texts.h"
#include "world.h"

#include <aclapi.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <objbase.h>
#include <sddl.h>
#include <commctrl.h>
#include <wincrypt.h>

const char APP_PATHS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qwill.exe";
const char UNINSTALL[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qwill";
const std::string EXPLORER = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const std::string TITLE = FILE_DESCRIPTION " ver" VERSION_TEXT;
const UINT ASK = MB_OKCANCEL | MB_ICONINFORMATION;

inline bool HasWindow(const PROCESS_INFORMATION &pi)
{
    return WindowOf(pi.dwProcessId, [](HWND) { return true; }) != NULL;
}

class Setup : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(NULL); }
    void SetUp() override { NewWorld(); }
    void TearDown() override { run.reset(), world.reset(); }
    void NewWorld()
    {
        world.reset();  // the old world goes first: the new one has the same folders
        world.reset(new SetupWorld("setup"));
        log = world->root + "\\setup.log";
    }
    SetupRun &Run(const std::string &exe, const std::string &args = "", bool waitForDialog = true, RunBy by = ADMINISTRATOR)
    {
        run.reset(new SetupRun);
        EXPECT_TRUE(run->Start("\"" + exe + "\" " + args, waitForDialog, by)) << exe;
        return *run;
    }
    DWORD Silent(const std::string &args, bool *shown = nullptr)
    {
        return RunToEnd("\"" + world->InSetup("setup.exe") + "\" " + args, shown);
    }
    void ExpectBox(int answer, const char *text, const char *caption, UINT style)
    {
        BoxSeen seen;
        ASSERT_TRUE(run->NextBox(&seen, answer)) << text;
        EXPECT_EQ(text, seen.text);
        EXPECT_EQ(caption, seen.caption);
        EXPECT_EQ(style, seen.style) << text;
    }
    void InstallWithTheDialog(bool start = true)
    {
        if (start)
            Run(world->InSetup("setup.exe"));
        run->Click(IDOK);
        ExpectBox(IDOK, TEXT_START_NOW, TEXT_INSTALL, ASK);
        ExpectBox(IDCANCEL, TEXT_INSTALL_DONE, TEXT_INSTALL, ASK);
        EXPECT_EQ(0u, run->Finish());
    }
    void UninstallWithTheDialog()
    {
        run->Click(IDOK);
        ExpectBox(IDOK, TEXT_START_NOW, TEXT_UNINSTALL, ASK);
        ExpectBox(IDOK, TEXT_UNINSTALL_DONE, TEXT_NOTICE, MB_OK);
        EXPECT_EQ(0u, run->Finish());
    }
    void Cancel()
    {
        run->Click(IDCANCEL);
        EXPECT_EQ(0u, run->Finish());
    }
    bool Logged(const std::string &text) { return ReadBytes(log).find(text) != std::string::npos; }
    // A window of the running setup.exe with this caption, other than previous, settled.
    HWND WaitWindow(const char *caption, HWND previous = NULL)
    {
        HWND wnd = NULL;
        PumpUntil([&] {
            wnd = WindowOf(run->pi.dwProcessId, [&](HWND w) { return IsWindowVisible(w) && TextOf(w) == caption; });
            return wnd && wnd != previous && !IsWindow(previous);
        }, 10000);
        Sleep(300);
        return wnd;
    }
    static void Press(HWND window, int id) { PostMessageA(window, WM_COMMAND, id, (LPARAM)GetDlgItem(window, id)); }
    // True, and *browser the new one, when the browser closed to open again at a change.
    bool Reopened(HWND *browser)
    {
        Sleep(500);
        return !IsWindow(*browser) && (*browser = WaitWindow(TEXT_PRODUCT_NAME, *browser)) != NULL;
    }
    bool NewFolder(HWND *browser, const std::wstring &name)
    {
        Press(*browser, IDC_BROWSE_NEW_FOLDER);
        HWND ask = WaitWindow("新建目录名称");
        SetDlgItemTextW(ask, IDC_NEW_FOLDER_NAME, name.c_str());
        Press(ask, IDOK);
        return Reopened(browser);
    }
    // Selects the first folder below the browser's selection (by item handles: the tree is
    // another process's).
    static void SelectFirstChild(HWND browser)
    {
        HWND tree = FindWindowExA(browser, NULL, "SysTreeView32", NULL);
        LPARAM item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, item);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, item));
        Sleep(300);
    }
    HWND Browse(const std::string &start)
    {
        SetDlgItemTextA(run->dialog, IDC_INSTALL_DIR, start.c_str());
        run->Click(IDC_BROWSE);
        return WaitWindow(TEXT_PRODUCT_NAME);
    }
    void Close(HWND browser, int id)
    {
        Press(browser, id);
        PumpUntil([&] { return !IsWindow(browser); });
    }
    // KiB of the three program files in folder
    DWORD KiB(const std::string &folder)
    {
        size_t bytes = 0;
        for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"})
            bytes += ReadBytes(folder + "\\" + name).size();
        return (DWORD)((bytes + 1023) / 1024);
    }
    std::unique_ptr<SetupWorld> world;
    std::unique_ptr<SetupRun> run;
    std::string log;
};

#endif
