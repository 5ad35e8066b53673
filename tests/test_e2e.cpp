// The real setup.exe as its own process, driven as a user drives it.
#include "containers.h"
#include "resource.h"
#include "scratch.h"
#include "setuprun.h"
#include "shortcut.h"
#include "texts.h"
#include "winwait.h"
#include "world.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace {

const char APP_PATHS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qwill.exe";
const char UNINSTALL[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qwill";
const char TITLE[] = "Qwill装载程序 ver2.06";
const UINT ASK = MB_OKCANCEL | MB_ICONINFORMATION;

class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(NULL); }
    void SetUp() override { world.reset(new SetupWorld("e2e")); }
    void TearDown() override
    {
        run.reset();
        world.reset();
    }
    SetupRun &Run(const std::string &exe, const std::string &args = "", bool waitForDialog = true)
    {
        run.reset(new SetupRun);
        EXPECT_TRUE(run->Start("\"" + exe + "\"" + (args.empty() ? "" : " " + args), waitForDialog)) << exe;
        return *run;
    }
    void ExpectBox(int answer, const char *text, const char *caption, UINT style)
    {
        BoxSeen seen;
        ASSERT_TRUE(run->NextBox(&seen, answer)) << text;
        EXPECT_EQ(text, seen.text);
        EXPECT_EQ(caption, seen.caption);
        EXPECT_EQ(style, seen.style) << text;
    }
    void InstallFromTheStagedFolder()
    {
        Run(world->InSetup("setup.exe"));
        run->Click(IDOK);
        ExpectBox(IDOK, TEXT_START_NOW, TEXT_INSTALL, ASK);
        ExpectBox(IDCANCEL, TEXT_INSTALL_DONE, TEXT_INSTALL, ASK);
        EXPECT_EQ(0u, run->Finish());
    }
    void ExpectNothingInstalled()
    {
        EXPECT_FALSE(FileExists(world->installDir));
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
        for (int folder = 0; folder < 3; folder++)
            EXPECT_FALSE(FileExists(world->Link(folder)));
    }

    std::unique_ptr<SetupWorld> world;
    std::unique_ptr<SetupRun> run;
};

TEST_F(EndToEnd, FirstInstall)
{
    SetupRun &r = Run(world->InSetup("setup.exe"));
    EXPECT_EQ(TITLE, r.Caption());
    EXPECT_EQ(world->installDir, r.Text(IDC_INSTALL_DIR));
    EXPECT_EQ(world->setupDir, r.Text(IDC_SETUP_DIR));
    EXPECT_TRUE(r.Checked(IDC_MODE_INSTALL));
    EXPECT_FALSE(r.Checked(IDC_MODE_INPLACE));
    EXPECT_TRUE(r.Enabled(IDC_INSTALL_DIR));
    EXPECT_FALSE(r.Enabled(IDC_SETUP_DIR));
    EXPECT_EQ(101, r.SheetResource());
    for (int id : {IDC_STARTUP_LINK, IDC_PROGRAMS_LINK, IDC_DESKTOP_LINK})
        EXPECT_TRUE(r.SheetChecked(id)) << id;

    r.Click(IDOK);
    ExpectBox(IDOK, TEXT_START_NOW, TEXT_INSTALL, ASK);
    ExpectBox(IDOK, TEXT_INSTALL_DONE, TEXT_INSTALL, ASK);
    EXPECT_EQ(0u, r.Finish());

    for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"})
        EXPECT_EQ(ReadBytes(world->InSetup(name)), ReadBytes(world->Installed(name))) << name;
    for (int folder = 0; folder < 3; folder++)
        EXPECT_TRUE(FileExists(world->Link(folder))) << folder;
    EXPECT_EQ(world->installDir, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
    EXPECT_EQ("\"" + world->Installed("setup.exe") + "\" /r", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "UninstallString"));
    std::vector<std::string> starts;
    EXPECT_TRUE(PumpUntil([&] { return (starts = world->Starts(world->installDir)).size() >= 2; }));
    EXPECT_EQ(std::vector<std::string>{world->installDir}, world->Opened());
}

TEST_F(EndToEnd, EnterStartsAndTheUncheckedBoxesCount)
{
    SetupRun &r = Run(world->InSetup("setup.exe"));
    r.ClickSheet(IDC_DESKTOP_LINK);
    r.Key(GetDlgItem(r.Sheet(), IDC_PROGRAMS_LINK), VK_RETURN);  // Enter inside the sheet
    ExpectBox(IDOK, TEXT_START_NOW, TEXT_INSTALL, ASK);
    ExpectBox(IDCANCEL, TEXT_INSTALL_DONE, TEXT_INSTALL, ASK);
    EXPECT_EQ(0u, r.Finish());
    EXPECT_TRUE(FileExists(world->Link(0)));
    EXPECT_TRUE(FileExists(world->Link(1)));
    EXPECT_FALSE(FileExists(world->Link(2)));
}

TEST_F(EndToEnd, ModeGuesses)
{
    InstallFromTheStagedFolder();
    // again from the install folder: register in place
    SetupRun &r = Run(world->Installed("setup.exe"));
    EXPECT_TRUE(r.Checked(IDC_MODE_INPLACE));
    EXPECT_TRUE(r.Enabled(IDC_SETUP_DIR));
    EXPECT_FALSE(r.Enabled(IDC_INSTALL_DIR));
    r.Click(IDCANCEL);
    EXPECT_EQ(0u, r.Finish());

    // the registered folder spelled in another case is another folder
    std::string upper = world->installDir;
    CharUpperA(&upper[0]);
    RegPutString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path", upper);
    Run(world->Installed("setup.exe"));
    EXPECT_TRUE(run->Checked(IDC_MODE_INSTALL));
    EXPECT_EQ(upper, run->Text(IDC_INSTALL_DIR));
    run->Click(IDCANCEL);
    EXPECT_EQ(0u, run->Finish());

    // from a network drive: in place
    MakeFolders("N:\\qwilltest");
    CopyFileA(world->InSetup("setup.exe").c_str(), "N:\\qwilltest\\setup.exe", FALSE);
    Run("N:\\qwilltest\\setup.exe");
    EXPECT_TRUE(run->Checked(IDC_MODE_INPLACE));
    EXPECT_EQ("N:\\qwilltest", run->Text(IDC_SETUP_DIR));
    run->Click(IDCANCEL);
    EXPECT_EQ(0u, run->Finish());
    RemoveTree("N:\\qwilltest");
}

TEST_F(EndToEnd, PortInTheTitle)
{
    Run(world->InSetup("setup.exe"), "999");
    EXPECT_EQ(std::string(TITLE) + " (PortNo = 999)", run->Caption());
    run->Click(IDCANCEL);
    EXPECT_EQ(0u, run->Finish());
    Run(world->InSetup("setup.exe"), "2425");
    EXPECT_EQ(TITLE, run->Caption());
    run->Click(IDCANCEL);
    EXPECT_EQ(0u, run->Finish());
    Run(world->InSetup("setup.exe"), "2147483647 /R 0");
    EXPECT_EQ(std::string(TITLE) + " (PortNo = 2147483647)", run->Caption());
    EXPECT_TRUE(run->Checked(IDC_MODE_INSTALL));
    run->Click(IDCANCEL);
    EXPECT_EQ(0u, run->Finish());
}

TEST_F(EndToEnd, UninstallThroughTheRegisteredCommand)
{
    InstallFromTheStagedFolder();
    RegPutString(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng\\sub", "v", "1");
    MakeContainers();
    ASSERT_EQ(4, CountContainers());
    // exactly as Windows runs it: the stored command line, quotes and all
    std::string command = RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "UninstallString");
    run.reset(new SetupRun);
    ASSERT_TRUE(run->Start(command));
    EXPECT_TRUE(run->Checked(IDC_MODE_UNINSTALL));
    EXPECT_FALSE(run->Enabled(IDC_INSTALL_DIR));
    EXPECT_FALSE(run->Enabled(IDC_SETUP_DIR));
    EXPECT_EQ(151, run->SheetResource());
    EXPECT_TRUE(run->SheetChecked(IDC_DEL_PUBKEY));
    run->Click(IDOK);
    ExpectBox(IDOK, TEXT_START_NOW, TEXT_UNINSTALL, ASK);
    ExpectBox(IDOK, TEXT_UNINSTALL_DONE, TEXT_NOTICE, MB_OK);
    EXPECT_EQ(0u, run->Finish());

    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng"));
    for (int folder = 0; folder < 3; folder++)
        EXPECT_FALSE(FileExists(world->Link(folder)));
    EXPECT_TRUE(FileExists(world->Installed("qwill.exe")));
    EXPECT_EQ(0, CountContainers());
    std::vector<std::string> opened = world->Opened();
    ASSERT_EQ(2u, opened.size());
    EXPECT_EQ(world->installDir, opened[1]);

    // The user deleted the program folder by hand, and a program of its name lies beside it:
    // no uninstall, with the dialog or without, starts it.
    const std::string planted = world->root + "\\Program Files\\Qwill.exe";
    for (bool unattended : {false, true}) {
        if (unattended)
            EXPECT_EQ(0u, Run(world->InSetup("setup.exe"), "/s", false).Finish());
        else
            InstallFromTheStagedFolder();
        RemoveTree(world->installDir);
        CopyFileA(world->InSetup("qwill.exe").c_str(), planted.c_str(), FALSE);
        DeleteFileA((world->root + "\\Program Files\\qwill.started").c_str());
        Run(world->InSetup("setup.exe"), unattended ? "/r /s" : "/r", !unattended);
        if (!unattended) {
            run->Click(IDOK);
            ExpectBox(IDOK, TEXT_START_NOW, TEXT_UNINSTALL, ASK);
            ExpectBox(IDOK, TEXT_UNINSTALL_DONE, TEXT_NOTICE, MB_OK);
        }
        EXPECT_EQ(0u, run->Finish()) << unattended;
        Sleep(500);
        EXPECT_TRUE(world->Starts(world->root + "\\Program Files").empty()) << unattended;
        EXPECT_EQ(3u, world->Opened().size()) << unattended;  // only the install's folder
    }
}

TEST_F(EndToEnd, SwitchingModesKeepsTheSheets)
{
    SetupRun &r = Run(world->InSetup("setup.exe"));
    // a new sheet shows before its boxes are loaded: wait for the state, not for the window
    auto installBoxes = [&](bool startup, bool programs, bool desktop) {
        return PumpUntil([&] {
            return r.SheetResource() == 101 && r.SheetChecked(IDC_STARTUP_LINK) == startup &&
                   r.SheetChecked(IDC_PROGRAMS_LINK) == programs && r.SheetChecked(IDC_DESKTOP_LINK) == desktop;
        }, 3000);
    };
    auto uninstallBox = [&](bool ticked) {
        return PumpUntil([&] { return r.SheetResource() == 151 && r.SheetChecked(IDC_DEL_PUBKEY) == ticked; }, 3000);
    };
    r.ClickSheet(IDC_DESKTOP_LINK);
    r.Click(IDC_MODE_UNINSTALL);
    EXPECT_TRUE(uninstallBox(true));
    EXPECT_FALSE(r.Enabled(IDC_INSTALL_DIR));
    r.ClickSheet(IDC_DEL_PUBKEY);
    r.Click(IDC_MODE_INPLACE);
    EXPECT_TRUE(installBoxes(true, true, false));
    EXPECT_TRUE(r.Enabled(IDC_SETUP_DIR));
    HWND sheet = r.Sheet();
    r.Click(IDC_MODE_INSTALL);
    EXPECT_TRUE(PumpUntil([&] { return r.Enabled(IDC_INSTALL_DIR); }));
    EXPECT_EQ(sheet, r.Sheet());
    r.Click(IDC_MODE_UNINSTALL);
    EXPECT_TRUE(uninstallBox(false));
    r.Click(IDCANCEL);
    EXPECT_EQ(0u, r.Finish());
}

TEST_F(EndToEnd, LeavingChangesNothing)
{
    Run(world->InSetup("setup.exe"));
    run->Key(GetDlgItem(run->dialog, IDC_INSTALL_DIR), VK_ESCAPE);
    EXPECT_EQ(0u, run->Finish());
    Run(world->InSetup("setup.exe"));
    PostMessageA(run->dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    EXPECT_EQ(0u, run->Finish());
    Run(world->InSetup("setup.exe"));
    run->Click(IDCANCEL);
    EXPECT_EQ(0u, run->Finish());
    ExpectNothingInstalled();
}

TEST_F(EndToEnd, AnEmptyInstallFolderIsRefused)
{
    Run(world->InSetup("setup.exe"));
    run->SetText(IDC_INSTALL_DIR, "");
    run->Click(IDOK);
    ExpectBox(IDOK, TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
    EXPECT_TRUE(IsWindowVisible(run->dialog));  // still open for another try
    run->Click(IDCANCEL);
    EXPECT_EQ(0u, run->Finish());
    ExpectNothingInstalled();
}

TEST_F(EndToEnd, BrowseInEveryMode)
{
    MakeFolders(world->installDir);
    for (const char *args : {"", "/r"}) {
        Run(world->InSetup("setup.exe"), args);
        // a folder that does not exist yet: the browser starts at its parent
        run->SetText(IDC_INSTALL_DIR, world->installDir + "\\new");
        run->Click(IDC_BROWSE);
        HWND browser = run->WaitWindow(TEXT_PRODUCT_NAME);
        ASSERT_TRUE(browser) << args;
        Sleep(300);
        PostMessageA(browser, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(browser, IDOK));
        PumpUntil([&] { return !IsWindow(browser); });
        EXPECT_EQ(world->installDir, run->Text(IDC_INSTALL_DIR)) << args;  // disabled or not
        run->Click(IDCANCEL);
        EXPECT_EQ(0u, run->Finish());
    }
}

TEST_F(EndToEnd, OldWindowsIsRefused)
{
    RegPutString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe", "Version", "win31");
    Run(world->InSetup("setup.exe"), "", false);
    BoxSeen seen;
    ASSERT_TRUE(run->NextBox(&seen, IDOK));
    EXPECT_EQ(TEXT_OLD_WINDOWS, seen.text);
    EXPECT_EQ(TEXT_NOTICE, seen.caption);
    EXPECT_EQ((UINT)MB_OK, seen.style);
    EXPECT_FALSE(TopWindowOfProcess(run->pi.dwProcessId, "#32770") &&
                 IsWindowVisible(TopWindowOfProcess(run->pi.dwProcessId, "#32770")));
    EXPECT_EQ(0u, run->Finish());
}

}  // namespace
