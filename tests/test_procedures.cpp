// Install and uninstall procedures on real files, shortcuts, registry and key containers.
#include "boxes.h"
#include "containers.h"
#include "procedures.h"
#include "scratch.h"
#include "shortcut.h"
#include "tdlg.h"
#include "testdlg.h"
#include "texts.h"
#include "winwait.h"
#include "world.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace {

const char APP_PATHS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qwill.exe";
const char UNINSTALL[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qwill";
const char SETTINGS[] = "software\\Korvane\\QwillEng";
const UINT ASK = MB_OKCANCEL | MB_ICONINFORMATION;

// Stands in for the main dialog: the two folder edits and the owner of the boxes.
class TProcDlg : public TDlg {
public:
    TProcDlg() : TDlg(IDD_TEST_PROC) {}
    BoxScript script;
    int MessageBox(const char *text, const char *caption, UINT style) override
    {
        return script.Answer(text, caption, style);
    }
};

// The quit request a finished procedure leaves, or -1.
int TakeQuit()
{
    MSG msg;
    if (!PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
        return -1;
    return (int)msg.wParam;
}

std::string LinkTarget(const std::string &link)
{
    char target[MAX_PATH] = "", args[MAX_PATH] = "", longForm[MAX_PATH] = "";
    if (!ReadShortcut(link.c_str(), target, args))
        return "";
    GetLongPathNameA(target, longForm, sizeof(longForm));
    return std::string(longForm) + (args[0] ? std::string(" ") + args : "");
}

class Procedures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureAppClass();
        CoInitialize(NULL);
    }
    void SetUp() override
    {
        world.reset(new SetupWorld("proc"));
        ASSERT_TRUE(dlg.Create());
        InitInstallCfg(&cfg);
        Folders(world->installDir, world->setupDir);
        TakeQuit();
    }
    void TearDown() override
    {
        dlg.Destroy();
        TakeQuit();
        world.reset();
        DeleteContainers();
    }
    void Folders(const std::string &install, const std::string &setup)
    {
        dlg.SetDlgItemText(1135, install.c_str());
        dlg.SetDlgItemText(1137, setup.c_str());
    }
    BOOL Install(std::vector<int> answers = {})
    {
        dlg.script.answers = answers;
        dlg.script.boxes.clear();
        // starting the messenger moves into the install folder, which must not stay in use
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(sizeof(cwd), cwd);
        BOOL result = RunInstall(&dlg, &cfg);
        SetCurrentDirectoryA(cwd);
        return result;
    }
    BOOL Uninstall(std::vector<int> answers = {})
    {
        dlg.script.answers = answers;
        dlg.script.boxes.clear();
        cfg.mode = SETUP_MODE_UNINSTALL;
        return RunUninstall(&dlg, &cfg);
    }
    const std::vector<BoxSeen> &Boxes() { return dlg.script.boxes; }
    void ExpectBox(size_t i, const char *text, const char *caption, UINT style)
    {
        ASSERT_LT(i, Boxes().size());
        EXPECT_EQ(text, Boxes()[i].text) << i;
        EXPECT_EQ(caption, Boxes()[i].caption) << i;
        EXPECT_EQ(style, Boxes()[i].style) << i;
    }
    std::string Exe() { return world->Installed("qwill.exe"); }

    std::unique_ptr<SetupWorld> world;
    TProcDlg dlg;
    InstallCfg cfg;
};

TEST_F(Procedures, FreshInstallAndStartTheMessenger)
{
    ASSERT_TRUE(Install({IDOK, IDOK}));
    EXPECT_EQ(0, TakeQuit());
    ASSERT_EQ(2u, Boxes().size());
    ExpectBox(0, TEXT_START_NOW, TEXT_INSTALL, ASK);
    ExpectBox(1, TEXT_INSTALL_DONE, TEXT_INSTALL, ASK);

    for (const char *name : {"qwill.exe", "readme.txt"})
        EXPECT_EQ(ReadBytes(world->InSetup(name)), ReadBytes(world->Installed(name))) << name;
    // the setup program installed is the running one: here, this test program
    EXPECT_EQ(ReadBytes(std::string(ProgramFolder()) + "test_procedures.exe"), ReadBytes(world->Installed("setup.exe")));
    for (int folder = 0; folder < 3; folder++)
        EXPECT_STRCASEEQ(Exe().c_str(), LinkTarget(world->Link(folder)).c_str()) << folder;

    EXPECT_EQ(Exe(), RegString(HKEY_LOCAL_MACHINE, APP_PATHS, NULL));
    EXPECT_EQ(world->installDir, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
    EXPECT_EQ("Qwill\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4\xB0\xE6", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayName"));
    EXPECT_EQ("\"" + world->Installed("setup.exe") + "\" /r",
              RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "UninstallString"));

    std::vector<std::string> starts;
    ASSERT_TRUE(PumpUntil([&] { return (starts = world->Starts(world->installDir)).size() >= 2; }));
    EXPECT_EQ("", starts[0]);  // started without arguments...
    EXPECT_STRCASEEQ(world->installDir.c_str(), starts[1].c_str());  // ...in the install folder
    EXPECT_EQ(std::vector<std::string>{world->installDir}, world->Opened());
}

TEST_F(Procedures, DecliningTheStartStartsNothing)
{
    ASSERT_TRUE(Install({IDOK, IDCANCEL}));
    EXPECT_EQ(0, TakeQuit());
    Sleep(300);
    EXPECT_TRUE(world->Starts(world->installDir).empty());
    EXPECT_EQ(1u, world->Opened().size());
}

TEST_F(Procedures, PlaceholderExecutables)
{
    // a small qwill.exe beside the setup program: org\qwill.exe is the real one
    WriteBytes(world->InSetup("qwill.exe"), "small");
    ASSERT_TRUE(Install({IDOK, IDCANCEL}));
    EXPECT_EQ(ReadBytes(world->InSetup("org\\qwill.exe")), ReadBytes(Exe()));
    TakeQuit();

    // a small installed qwill.exe stays; the other files are copied again
    WriteBytes(Exe(), "installed placeholder");
    WriteBytes(world->Installed("readme.txt"), "old");
    ASSERT_TRUE(Install({IDOK, IDCANCEL}));
    EXPECT_EQ("installed placeholder", ReadBytes(Exe()));
    EXPECT_EQ(ReadBytes(world->InSetup("readme.txt")), ReadBytes(world->Installed("readme.txt")));
}

TEST_F(Procedures, RegisterInPlace)
{
    cfg.mode = SETUP_MODE_INPLACE;
    ASSERT_FALSE(FileExists(world->installDir));
    ASSERT_TRUE(Install({IDOK, IDOK}));
    EXPECT_EQ(0, TakeQuit());
    EXPECT_FALSE(FileExists(world->installDir));
    EXPECT_EQ(world->InSetup("qwill.exe"), RegString(HKEY_LOCAL_MACHINE, APP_PATHS, NULL));
    EXPECT_EQ(world->setupDir, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
    EXPECT_STRCASEEQ(world->InSetup("qwill.exe").c_str(), LinkTarget(world->Link(1)).c_str());
    EXPECT_TRUE(world->Opened(500).empty());
    std::vector<std::string> starts;
    EXPECT_TRUE(PumpUntil([&] { return (starts = world->Starts(world->setupDir)).size() >= 2; }));
}

TEST_F(Procedures, FlagsOffRemoveTheLinks)
{
    for (int folder = 0; folder < 3; folder++)
        CreateShortcut(world->InSetup("qwill.exe").c_str(), world->Link(folder).c_str(), "");
    CreateShortcut(world->InSetup("qwill.exe").c_str(), world->Link(0, "My messenger.lnk").c_str(), "");
    CreateShortcut(world->InSetup("qwill.exe").c_str(), world->Link(0, "With args.lnk").c_str(), "/x");
    cfg.startupLink = cfg.programsLink = cfg.desktopLink = 0;
    ASSERT_TRUE(Install({IDOK, IDCANCEL}));
    for (int folder = 0; folder < 3; folder++)
        EXPECT_FALSE(FileExists(world->Link(folder))) << folder;
    EXPECT_FALSE(FileExists(world->Link(0, "My messenger.lnk")));
    EXPECT_TRUE(FileExists(world->Link(0, "With args.lnk")));
}

TEST_F(Procedures, AStartupLinkKeepsItsName)
{
    CreateShortcut(world->InSetup("qwill.exe").c_str(), world->Link(0, "My messenger.lnk").c_str(), "");
    ASSERT_TRUE(Install({IDOK, IDCANCEL}));
    EXPECT_STRCASEEQ(Exe().c_str(), LinkTarget(world->Link(0, "My messenger.lnk")).c_str());
    EXPECT_FALSE(FileExists(world->Link(0)));
    EXPECT_TRUE(FileExists(world->Link(1)));
}

TEST_F(Procedures, DecliningToCloseTheMessengerChangesNothing)
{
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(StartProcess("\"" + world->InSetup("qwill.exe") + "\"", &pi));
    PumpUntil([&] { return TopWindowOfProcess(pi.dwProcessId, "qwill_class") != NULL; });
    EXPECT_FALSE(Install({IDCANCEL}));
    ASSERT_EQ(1u, Boxes().size());
    ExpectBox(0, TEXT_CLOSE_MESSENGER, "", MB_OKCANCEL);
    EXPECT_FALSE(FileExists(world->installDir));
    EXPECT_EQ(-1, TakeQuit());
    EXPECT_FALSE(Uninstall({IDCANCEL}));
    EXPECT_EQ(1u, Boxes().size());

    EXPECT_TRUE(Install({IDOK, IDOK, IDCANCEL}));  // close it, start, no start
    EXPECT_EQ(0u, EndProcess(&pi));
}

TEST_F(Procedures, MissingParentFolder)
{
    Folders(world->root + "\\nowhere\\Qwill", world->setupDir);
    EXPECT_FALSE(Install());
    ASSERT_EQ(1u, Boxes().size());
    ExpectBox(0, TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
    EXPECT_FALSE(FileExists(world->root + "\\nowhere"));
    EXPECT_EQ(-1, TakeQuit());

    Folders("", world->setupDir);  // an empty field is no folder either
    EXPECT_FALSE(Install());
    ExpectBox(0, TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
}

TEST_F(Procedures, FoldersTooLongForTheirFiles)
{
    // "\qwill.exe" fits after a 250-byte folder, "\readme.txt" does not
    std::string parent = world->root + "\\" + std::string(250 - world->root.size() - 1 - 6, 'p');
    for (std::string folder : {parent + "\\Qwill", parent + "\\" + std::string(300, 'q')}) {
        Folders(folder, world->setupDir);
        EXPECT_FALSE(Install()) << folder.size();
        ExpectBox(0, TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
        EXPECT_EQ(1u, Boxes().size());
        EXPECT_FALSE(FileExists(parent));
    }
    std::string longSetup = world->root + "\\" + std::string(255 - world->root.size(), 's');
    Folders(world->installDir, longSetup);
    EXPECT_FALSE(Install());
    ExpectBox(0, TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
    EXPECT_FALSE(FileExists(world->installDir));
}

TEST_F(Procedures, CancelAtTheQuestionKeepsTheFolderAndMayRunAgain)
{
    EXPECT_FALSE(Install({IDCANCEL}));
    ExpectBox(0, TEXT_START_NOW, TEXT_INSTALL, ASK);
    EXPECT_TRUE(FileExists(world->installDir));
    EXPECT_FALSE(FileExists(Exe()));
    EXPECT_EQ(-1, TakeQuit());
    EXPECT_TRUE(Install({IDOK, IDCANCEL}));
    EXPECT_TRUE(FileExists(Exe()));
}

TEST_F(Procedures, CopyFailures)
{
    DeleteFileA(world->InSetup("readme.txt").c_str());
    EXPECT_FALSE(Install());
    ASSERT_EQ(2u, Boxes().size());
    ExpectBox(1, world->Installed("readme.txt").c_str(), TEXT_CANNOT_CREATE_FILE, MB_OK);
    EXPECT_TRUE(FileExists(Exe()));
    EXPECT_TRUE(FileExists(world->Installed("setup.exe")));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));

    RemoveTree(world->installDir);
    DeleteFileA(world->InSetup("qwill.exe").c_str());
    DeleteFileA(world->InSetup("org\\qwill.exe").c_str());
    EXPECT_FALSE(Install());
    ExpectBox(1, Exe().c_str(), TEXT_CANNOT_CREATE_FILE, MB_OK);
    EXPECT_FALSE(FileExists(world->Installed("setup.exe")));
}

TEST_F(Procedures, MissingKeysAreSkippedSilently)
{
    const char shellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const char appPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    RegRemoveTree(HKEY_CURRENT_USER, shellFolders);
    RegRemoveTree(HKEY_LOCAL_MACHINE, appPaths);
    ASSERT_TRUE(Install({IDOK, IDCANCEL}));
    EXPECT_EQ(2u, Boxes().size());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, appPaths));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    for (int folder = 0; folder < 3; folder++)
        EXPECT_FALSE(FileExists(world->Link(folder)));
    TakeQuit();

    // one unreadable value skips only its own link
    world.reset();  // puts the keys back
    world.reset(new SetupWorld("proc"));
    HKEY key;
    RegOpenKeyExA(HKEY_CURRENT_USER, shellFolders, 0, KEY_ALL_ACCESS, &key);
    RegDeleteValueA(key, "Programs");
    RegCloseKey(key);
    ASSERT_TRUE(Install({IDOK, IDCANCEL}));
    EXPECT_TRUE(FileExists(world->Link(0)));
    EXPECT_FALSE(FileExists(world->Link(1)));
    EXPECT_TRUE(FileExists(world->Link(2)));
}

class Uninstalling : public Procedures {
protected:
    void SetUp() override
    {
        Procedures::SetUp();
        ASSERT_TRUE(Install({IDOK, IDCANCEL}));
        TakeQuit();
        world->Opened();
        DeleteFileA((std::string(ProgramFolder()) + "opened.txt").c_str());
        CreateShortcut(Exe().c_str(), world->Link(0, "Renamed.lnk").c_str(), "");
        RegPutString(HKEY_CURRENT_USER, std::string(SETTINGS) + "\\Users\\alice", "nick", "a");
        RegPutString(HKEY_CURRENT_USER, SETTINGS, "port", "2425");
        MakeContainers();
        ASSERT_EQ(4, CountContainers());
    }
};

TEST_F(Uninstalling, RemovesLinksKeysAndContainers)
{
    ASSERT_TRUE(Uninstall({IDOK, IDOK}));
    EXPECT_EQ(0, TakeQuit());
    ASSERT_EQ(2u, Boxes().size());
    ExpectBox(0, TEXT_START_NOW, TEXT_UNINSTALL, ASK);
    ExpectBox(1, TEXT_UNINSTALL_DONE, TEXT_NOTICE, MB_OK);

    for (int folder = 0; folder < 3; folder++)
        EXPECT_FALSE(FileExists(world->Link(folder))) << folder;
    EXPECT_FALSE(FileExists(world->Link(0, "Renamed.lnk")));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, SETTINGS));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "software\\Korvane"));
    EXPECT_EQ(0, CountContainers());
    for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"})
        EXPECT_TRUE(FileExists(world->Installed(name))) << name;
    EXPECT_EQ(std::vector<std::string>{world->installDir}, world->Opened());
}

TEST_F(Uninstalling, KeepsTheContainersWhenAsked)
{
    cfg.delPubKey = 0;
    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(4, CountContainers());
}

TEST_F(Uninstalling, WithoutAnAppPathOpensTheSetupFolder)
{
    RegRemoveTree(HKEY_LOCAL_MACHINE, APP_PATHS);
    RegRemoveTree(HKEY_CURRENT_USER, "software\\Korvane");
    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(std::vector<std::string>{world->setupDir}, world->Opened());
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "software\\Korvane"));  // made by the uninstall
}

TEST_F(Uninstalling, NetworkFoldersAreNotOpened)
{
    RegRemoveTree(HKEY_LOCAL_MACHINE, APP_PATHS);
    for (const char *folder : {"N:\\qwill", "\\\\server\\share\\qwill"}) {
        Folders("", folder);
        ASSERT_TRUE(Uninstall()) << folder;
        TakeQuit();
        EXPECT_TRUE(world->Opened(500).empty()) << folder;
    }
}

TEST_F(Uninstalling, RoundTripsEndCleanly)
{
    ASSERT_TRUE(Install({IDOK, IDCANCEL}));  // again, over the first install
    EXPECT_EQ(0, TakeQuit());
    EXPECT_TRUE(FileExists(world->Link(0)) || FileExists(world->Link(0, "Renamed.lnk")));
    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(0, TakeQuit());
    ASSERT_TRUE(Uninstall());  // nothing left to remove: it still ends the same way
    EXPECT_EQ(0, TakeQuit());
    EXPECT_EQ(2u, Boxes().size());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    for (int folder = 0; folder < 3; folder++)
        EXPECT_FALSE(FileExists(world->Link(folder)));
    EXPECT_TRUE(FileExists(Exe()));
}

}  // namespace
