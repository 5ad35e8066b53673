// The real setup.exe as its own process: with its dialog, driven as a person drives it, and
// unattended, each run checked on the files, shortcuts, registry and key containers it leaves.
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

namespace {

const char APP_PATHS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qwill.exe";
const char UNINSTALL[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qwill";
const std::string EXPLORER = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const std::string TITLE = "Qwill装载程序 ver2.06";
const UINT ASK = MB_OKCANCEL | MB_ICONINFORMATION;

bool HasWindow(const PROCESS_INFORMATION &pi)
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

TEST_F(Setup, InstallWithTheDialog)
{
    CreateShortcut(world->InSetup("qwill.exe").c_str(), world->Link(0, "My messenger.lnk").c_str(), "");
    log = std::string(ProgramFolder()) + "qwill-relative.log";  // the log named relative to where it starts
    DeleteFileA(log.c_str());
    SetupRun &r = Run(world->InSetup("setup.exe"), "/log=qwill-relative.log");
    EXPECT_EQ(TITLE, TextOf(r.dialog));
    EXPECT_EQ(world->installDir, r.Text(IDC_INSTALL_DIR));
    EXPECT_EQ(world->setupDir, r.Text(IDC_SETUP_DIR));
    EXPECT_TRUE(r.Checked(IDC_MODE_INSTALL) && r.Enabled(IDC_INSTALL_DIR) && !r.Enabled(IDC_SETUP_DIR));
    EXPECT_EQ(101, r.SheetResource());
    for (int id : {IDC_STARTUP_LINK, IDC_PROGRAMS_LINK, IDC_DESKTOP_LINK})
        EXPECT_TRUE(r.Checked(id, r.Sheet())) << id;

    // no folder: refused; Cancel at the question leaves the new folder, nothing in it, and the
    // dialog for another try
    SetDlgItemTextA(r.dialog, IDC_INSTALL_DIR, "");
    r.Click(IDOK);
    ExpectBox(IDOK, TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
    SetDlgItemTextA(r.dialog, IDC_INSTALL_DIR, world->installDir.c_str());
    r.Click(IDOK);
    ExpectBox(IDCANCEL, TEXT_START_NOW, TEXT_INSTALL, ASK);
    EXPECT_TRUE(FileExists(world->installDir));
    EXPECT_TRUE(FileNames(world->installDir).empty());
    // a file that cannot be copied: the box names where it was to go, and the dialog stays
    MoveFileA(world->InSetup("readme.txt").c_str(), (world->root + "\\readme.txt").c_str());
    r.Click(IDOK);
    ExpectBox(IDOK, TEXT_START_NOW, TEXT_INSTALL, ASK);
    ExpectBox(IDOK, world->Installed("readme.txt").c_str(), TEXT_CANNOT_CREATE_FILE, MB_OK);
    MoveFileA((world->root + "\\readme.txt").c_str(), world->InSetup("readme.txt").c_str());

    // no Startup shortcut, kept across a change to the uninstall sheet and back; Enter in the
    // sheet starts (a new sheet shows before its boxes are loaded: wait for the state)
    r.Click(IDC_STARTUP_LINK, r.Sheet());
    r.Click(IDC_MODE_UNINSTALL);
    EXPECT_TRUE(PumpUntil([&] { return r.SheetResource() == 151 && !r.Enabled(IDC_INSTALL_DIR); }));
    r.Click(IDC_MODE_INSTALL);
    EXPECT_TRUE(PumpUntil([&] { return r.SheetResource() == 101 && r.Checked(IDC_DESKTOP_LINK, r.Sheet()); }));
    r.Key(IDC_PROGRAMS_LINK, VK_RETURN, r.Sheet());
    ExpectBox(IDOK, TEXT_START_NOW, TEXT_INSTALL, ASK);
    ExpectBox(IDOK, TEXT_INSTALL_DONE, TEXT_INSTALL, ASK);
    EXPECT_EQ(0u, r.Finish());

    for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"})
        EXPECT_TRUE(ReadBytes(world->InSetup(name)) == ReadBytes(world->Installed(name))) << name;
    for (int folder : {1, 2}) {  // the messenger opens its files relative to its own folder
        char target[MAX_PATH], args[MAX_PATH], workDir[MAX_PATH] = "";
        EXPECT_TRUE(ReadShortcut(world->Link(folder).c_str(), target, args, workDir));
        EXPECT_EQ(world->installDir, workDir) << folder;
    }
    EXPECT_TRUE(FileNames(world->linkDirs[0]).empty());
    EXPECT_TRUE(Logged("My messenger.lnk: deleted") && Logged("install: done") && Logged("exit code 0"));
    EXPECT_FALSE(FileExists(world->Installed("qwill-relative.log")));
    DeleteFileA(log.c_str());
    EXPECT_EQ(world->Installed("qwill.exe"), RegString(HKEY_LOCAL_MACHINE, APP_PATHS, NULL));
    EXPECT_EQ(world->installDir, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
    EXPECT_EQ("\"" + world->Installed("setup.exe") + "\" /r", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "UninstallString"));
    // started without arguments, in the install folder, by the desktop shell (the elevated
    // setup program's token would make an elevated messenger)
    std::vector<std::string> starts;
    EXPECT_TRUE(PumpUntil([&] { return (starts = world->Starts(world->installDir)).size() >= 3; }));
    EXPECT_EQ(std::vector<std::string>({"", world->installDir, "explorer.exe"}), starts);
    EXPECT_EQ(std::vector<std::string>{world->installDir}, world->Opened());

    // registered in place: the start is still offered, no folder is opened, and the shortcuts
    // start the setup folder's messenger
    CloseMessengers();
    DeleteFileA((std::string(ProgramFolder()) + "opened.txt").c_str());
    Run(world->InSetup("setup.exe"));
    run->Click(IDC_MODE_INPLACE);
    InstallWithTheDialog(false);
    EXPECT_TRUE(ShortcutStarts(world->Link(1).c_str(), world->InSetup("qwill.exe").c_str()));
    EXPECT_TRUE(world->Opened(1000).empty());
}

TEST_F(Setup, ModeGuessesAndThePortInTheTitle)
{
    InstallWithTheDialog();
    std::string upper = world->installDir;  // the registered folder in another case is another folder
    CharUpperA(&upper[0]);
    MakeFolders("N:\\qwilltest");
    CopyFileA(world->InSetup("setup.exe").c_str(), "N:\\qwilltest\\setup.exe", FALSE);
    struct { std::string exe, args, registered; int mode; std::string title; } guesses[] = {
        {world->Installed("setup.exe"), "999", world->installDir, IDC_MODE_INPLACE, " (PortNo = 999)"},
        {world->Installed("setup.exe"), "2147483647 /R 0", upper, IDC_MODE_INSTALL, " (PortNo = 2147483647)"},
        {"N:\\qwilltest\\setup.exe", "2425", upper, IDC_MODE_INPLACE, ""},  // on a network drive
    };
    for (const auto &guess : guesses) {
        RegPutString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path", guess.registered);
        Run(guess.exe, guess.args);
        EXPECT_TRUE(run->Checked(guess.mode)) << guess.args;
        EXPECT_EQ(TITLE + guess.title, TextOf(run->dialog));
        EXPECT_EQ(guess.registered, run->Text(IDC_INSTALL_DIR));
        Cancel();
    }
}

TEST_F(Setup, UninstallThroughTheRegisteredCommand)
{
    InstallWithTheDialog();
    RegPutString(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng\\" + std::string(120, 'k'), "v", "1");  // a long name
    Containers(CRYPT_NEWKEYSET);
    ASSERT_EQ(4, Containers(0));
    // exactly as Windows runs it: the stored command line, quotes and all
    run.reset(new SetupRun);
    ASSERT_TRUE(run->Start(RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "UninstallString")));
    EXPECT_TRUE(run->Checked(IDC_MODE_UNINSTALL));
    EXPECT_FALSE(run->Enabled(IDC_INSTALL_DIR));
    EXPECT_FALSE(run->Enabled(IDC_SETUP_DIR));
    EXPECT_EQ(151, run->SheetResource());
    EXPECT_TRUE(run->Checked(IDC_DEL_PUBKEY, run->Sheet()));
    UninstallWithTheDialog();

    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "software\\Korvane"));
    for (int folder = 0; folder < 3; folder++)
        EXPECT_FALSE(FileExists(world->Link(folder)));
    EXPECT_EQ(std::vector<std::string>({"qwill.exe", "readme.txt", "setup.exe"}), FileNames(world->installDir));
    EXPECT_EQ(0, Containers(0));
    EXPECT_EQ(std::vector<std::string>({world->installDir, world->installDir}), world->Opened());

    // A program of the folder's name lies beside it: no uninstall starts it, whether the folder
    // is there (it is opened) or the user deleted it by hand (nothing is opened).
    const std::string parent = world->root + "\\Program Files";
    for (bool deleted : {false, true}) {
        InstallWithTheDialog();
        if (deleted)
            RemoveTree(world->installDir);
        CopyFileA(world->InSetup("qwill.exe").c_str(), (parent + "\\Qwill.exe").c_str(), FALSE);
        DeleteFileA((parent + "\\qwill.started").c_str());
        Containers(CRYPT_NEWKEYSET);
        Run(world->InSetup("setup.exe"), "/r");
        if (!deleted)  // unticked, the user's keys stay: they cannot be made again
            run->Click(IDC_DEL_PUBKEY, run->Sheet());
        UninstallWithTheDialog();
        EXPECT_EQ(deleted ? 0 : 4, Containers(0)) << deleted;
        Sleep(500);
        EXPECT_TRUE(world->Starts(parent).empty()) << deleted;
        EXPECT_EQ(deleted ? 5u : 4u, world->Opened().size()) << deleted;
    }
    // nothing registered: the setup program's own folder is opened, but not on a network drive
    MakeFolders("N:\\qwilltest");
    CopyFileA(world->InSetup("setup.exe").c_str(), "N:\\qwilltest\\setup.exe", FALSE);
    for (std::string setup : {world->InSetup("setup.exe"), std::string("N:\\qwilltest\\setup.exe")}) {
        Run(setup, "/r");
        UninstallWithTheDialog();
    }
    EXPECT_EQ(world->setupDir, world->Opened().back());
    EXPECT_EQ(6u, world->Opened().size());
}

TEST_F(Setup, LeavingChangesNothing)
{
    Run(world->InSetup("setup.exe"));
    run->Key(IDC_INSTALL_DIR, VK_ESCAPE);
    EXPECT_EQ(0u, run->Finish());
    // Windows before version 4 (Wine tells this setup.exe 3.10): a box, and no dialog shown
    RegPutString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe", "Version", "win31");
    Run(world->InSetup("setup.exe"), "", false);
    auto shown = [&](int id) { return WindowOf(run->pi.dwProcessId, [=](HWND w) { return IsWindowVisible(w) && GetDlgItem(w, id); }); };
    PumpUntil([&] { return shown(0xFFFF) != NULL; }, 10000);
    EXPECT_FALSE(shown(IDC_MODE_INSTALL));
    ExpectBox(IDOK, TEXT_OLD_WINDOWS, TEXT_NOTICE, MB_OK);
    EXPECT_EQ(0u, run->Finish());
    RegRemoveTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
    // a log that cannot be written: the box names it, and the run ends; a dialog that no one
    // can see (a service, session 0) ends at once
    const std::string missing = world->root + "\\missing\\q.log";
    for (std::string logFile : {missing, std::string()}) {  // and a log asked for without a name
        Run(world->InSetup("setup.exe"), "/log=" + logFile, false);
        ExpectBox(IDOK, logFile.c_str(), TEXT_CANNOT_CREATE_FILE, MB_OK);
        EXPECT_EQ(1622u, run->Finish());
    }
    EXPECT_EQ(1u, RunToEnd("\"" + world->InSetup("setup.exe") + "\" /log=" + log, nullptr, NO_ONE_SEES));
    EXPECT_TRUE(Logged("no dialog: no one can see this window station") && Logged("exit code 1"));
    EXPECT_EQ(1622u, RunToEnd("\"" + world->InSetup("setup.exe") + "\" /log=" + missing, nullptr, NO_ONE_SEES));
    // a messenger that stays (and one that would close): the user is told, and Cancel there
    // copies nothing
    PROCESS_INFORMATION messenger, closing;
    ASSERT_TRUE(StartProcess("\"" + world->InSetup("qwill.exe") + "\" /ignoreclose", &messenger));
    ASSERT_TRUE(StartProcess("\"" + world->InSetup("qwill.exe") + "\"", &closing));
    PumpUntil([&] { return HasWindow(messenger) && HasWindow(closing); });
    Run(world->InSetup("setup.exe"));
    run->Click(IDOK);  // "取消" at the close question is no: the messengers and the dialog stay
    ExpectBox(IDCANCEL, TEXT_CLOSE_MESSENGER, "", MB_OKCANCEL);
    Sleep(500);
    EXPECT_TRUE(HasWindow(closing) && IsWindowVisible(run->dialog));
    EXPECT_FALSE(FileExists(world->installDir));
    run->Click(IDOK);
    ExpectBox(IDOK, TEXT_CLOSE_MESSENGER, "", MB_OKCANCEL);
    BoxSeen seen;
    ASSERT_TRUE(run->NextBox(&seen, IDCANCEL));
    EXPECT_EQ((UINT)(MB_RETRYCANCEL | MB_ICONWARNING), seen.style);
    EXPECT_NE(std::string::npos, seen.text.find("qwill.exe")) << seen.text;
    EXPECT_EQ(0u, EndProcess(&closing, 0));  // closed when asked, with OK
    EndProcess(&messenger, 0);
    PostMessageA(run->dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    EXPECT_EQ(0u, run->Finish());
    EXPECT_TRUE(FileNames(world->installDir).empty());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
}

// What Windows' list of renames at its next start is to put in place of path, in its order.
std::vector<std::string> ReplacementsAtRestart(const std::string &path)
{
    wchar_t list[8192] = L"";
    DWORD size = sizeof(list) - 2 * sizeof(wchar_t);
    RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                 L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, NULL, list, &size);
    std::vector<std::string> staged;
    for (const wchar_t *from = list; *from;) {
        const wchar_t *to = from + wcslen(from) + 1;
        if (Gbk(to) == "!\\??\\" + path)
            staged.push_back(Gbk(from + 4));
        from = to + wcslen(to) + 1;
    }
    return staged;
}

// The messenger runs in another session (on another desktop here), where no window of it can
// be asked to close: a machine install replaces it when Windows restarts, an install for one
// user changes nothing. Between the upgrades and the restart come more upgrades, a failed one
// and one cut short; the restart puts the last whole version in place, and only that.
TEST_F(Setup, AnUpgradeWhileTheMessengerRunsElsewhere)
{
    ASSERT_EQ(0u, Silent("/s"));
    const std::string exe = world->Installed("qwill.exe"), ex1 = world->Installed("qwill.ex1"), ex2 = world->Installed("qwill.ex2");
    const std::string base = ReadBytes(world->InSetup("qwill.exe")), appDefaults = "Software\\Wine\\AppDefaults\\setup.exe";
    auto release = [&](int v) { return WriteBytes(world->InSetup("qwill.exe"), base + "v" + std::to_string(v)), base + "v" + std::to_string(v); };
    // another program's rename passes through every run unchanged
    const wchar_t other[] = L"\\??\\C:\\other\\a.new\0!\\??\\C:\\other\\a.dll\0";
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", L"PendingFileRenameOperations",
                    REG_MULTI_SZ, other, sizeof(other));
    PROCESS_INFORMATION held;
    auto holdElsewhere = [&] {
        size_t starts = world->Starts(world->installDir).size();
        ASSERT_TRUE(StartProcess("\"" + exe + "\"", &held, OTHER_SESSION));
        ASSERT_TRUE(PumpUntil([&] { return world->Starts(world->installDir).size() == starts + 3; }));
    };
    holdElsewhere();
    std::string v1 = release(1);
    WriteBytes(world->InSetup("readme.txt"), "new readme");
    DeleteFileA(world->Link(2).c_str());
    EXPECT_EQ(3010u, Silent("/s /log=" + log));
    EXPECT_TRUE(Logged("qwill.exe: in use by process " + std::to_string(held.dwProcessId) + ", replaced at restart by " + ex1));
    EXPECT_EQ(std::vector<std::string>{ex1}, ReplacementsAtRestart(exe));
    EXPECT_TRUE(v1 != ReadBytes(exe) && v1 == ReadBytes(ex1) && FileExists(world->Link(2)));
    EXPECT_EQ("new readme", ReadBytes(world->Installed("readme.txt")));
    // again, as Windows XP (no image path of a process): found all the same; its copy goes
    // beside the first, which it replaces in the list
    RegPutString(HKEY_CURRENT_USER, appDefaults, "Version", "winxp");
    std::string v2 = release(2);
    EXPECT_EQ(3010u, Silent("/s"));
    RegRemoveTree(HKEY_CURRENT_USER, appDefaults);
    EXPECT_EQ(std::vector<std::string>{ex2}, ReplacementsAtRestart(exe));
    EXPECT_TRUE(v2 == ReadBytes(ex2) && !FileExists(ex1));
    // a third whose copy fails (its file locked) ends with 4 and leaves the second's
    release(3);
    HANDLE locked = CreateFileA(world->InSetup("qwill.exe").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(4u, Silent("/s /log=" + log));
    CloseHandle(locked);
    EXPECT_TRUE(Logged("replacement of " + exe + " at restart by " + ex2 + ": kept"));
    EXPECT_TRUE(std::vector<std::string>{ex2} == ReplacementsAtRestart(exe) && v2 == ReadBytes(ex2));
    std::string v4 = release(4);
    Run(world->InSetup("setup.exe"));
    run->Click(IDOK);
    ExpectBox(IDOK, TEXT_START_NOW, TEXT_INSTALL, ASK);
    ExpectBox(IDOK, TEXT_UPDATED_AT_RESTART, TEXT_INSTALL, MB_OK | MB_ICONINFORMATION);  // start-now is not offered
    EXPECT_EQ(0u, run->Finish());
    EndProcess(&held, 0);
    EXPECT_EQ(1u, ReplacementsAtRestart("C:\\other\\a.dll").size());

    // the release before listed its copy as qwill.ex~, the name an ordinary upgrade copies to;
    // one cut short there (an engine's time limit ends it as soon as its copy has grown): the
    // restart still brings the last whole version, staged before
    const std::string exTilde = world->Installed("qwill.ex~");
    MoveFileA(ex1.c_str(), exTilde.c_str());
    const std::wstring legacy = L"\\??\\" + std::wstring(exTilde.begin(), exTilde.end()) + L'\0' + L"!\\??\\" +
                                std::wstring(exe.begin(), exe.end()) + L'\0' + L'\0';
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", L"PendingFileRenameOperations",
                    REG_MULTI_SZ, legacy.data(), legacy.size() * sizeof(wchar_t));
    WriteBytes(world->InSetup("qwill.exe"), base + std::string(64 << 20, 'Q'));
    Run(world->InSetup("setup.exe"), "/s", false);
    HANDLE copy = INVALID_HANDLE_VALUE;  // whichever name it copies to, as it grows
    for (DWORD start = GetTickCount(); copy == INVALID_HANDLE_VALUE && GetTickCount() - start < 10000;)
        for (const std::string &name : {exTilde, ex1, ex2}) {
            HANDLE file = CreateFileA(name.c_str(), 0, 7, NULL, OPEN_EXISTING, 0, NULL);
            DWORD size = GetFileSize(file, NULL);
            if (file != INVALID_HANDLE_VALUE && size > 0 && size != v4.size() && copy == INVALID_HANDLE_VALUE)
                copy = file;
            else
                CloseHandle(file);
        }
    TerminateProcess(run->pi.hProcess, 9);
    run->Finish();
    EXPECT_GT(64u << 20, GetFileSize(copy, NULL));  // cut short indeed
    CloseHandle(copy);
    EXPECT_EQ(std::vector<std::string>{exTilde}, ReplacementsAtRestart(exe));
    EXPECT_EQ(0u, RunToEnd("wineboot.exe -r"));  // Windows restarts
    EXPECT_TRUE(v4 == ReadBytes(exe));
    EXPECT_TRUE(ReplacementsAtRestart(exe).empty() && !FileExists(exTilde));

    // an ordinary upgrade after a scheduled one: it is the newer, and what it installs stays
    holdElsewhere();
    release(5);
    EXPECT_EQ(3010u, Silent("/s"));
    EndProcess(&held, 0);
    std::string v6 = release(6);
    EXPECT_EQ(0u, Silent("/s /log=" + log));
    EXPECT_TRUE(Logged("replacement of " + exe + " at restart by " + ex1 + ": taken off"));
    EXPECT_TRUE(ReplacementsAtRestart(exe).empty());
    EXPECT_EQ(0u, RunToEnd("wineboot.exe -r"));
    EXPECT_TRUE(v6 == ReadBytes(exe));
    EXPECT_EQ(std::vector<std::string>({"qwill.exe", "qwill.started", "readme.txt", "setup.exe"}), FileNames(world->installDir));

    // for one user nothing may be scheduled: a messenger elsewhere stops the install before
    // this session's messenger is closed; nothing changes, the engine retries
    const std::string folder = UserInstallFolder();
    ASSERT_EQ(0u, Silent("/s /peruser"));
    PROCESS_INFORMATION here;
    ASSERT_TRUE(StartProcess("\"" + folder + "\\qwill.exe\"", &held, OTHER_SESSION));
    ASSERT_TRUE(PumpUntil([&] { return world->Starts(folder).size() == 3; }));
    ASSERT_TRUE(StartProcess("\"" + folder + "\\qwill.exe\"", &here));
    ASSERT_TRUE(PumpUntil([&] { return HasWindow(here); }));
    WriteBytes(world->InSetup("qwill.exe"), base + "7");
    EXPECT_EQ(2u, Silent("/s /peruser"));
    EXPECT_TRUE(HasWindow(here));
    Run(world->InSetup("setup.exe"), "/peruser");
    run->Click(IDOK);
    BoxSeen seen;
    ASSERT_TRUE(run->NextBox(&seen, IDCANCEL));
    EXPECT_EQ((UINT)(MB_RETRYCANCEL | MB_ICONWARNING), seen.style);
    EXPECT_NE(std::string::npos, seen.text.find(std::to_string(held.dwProcessId))) << seen.text;
    Cancel();
    EXPECT_TRUE(HasWindow(here));
    EndProcess(&held, 0);
    EndProcess(&here, 0);
    EXPECT_TRUE(v6 == ReadBytes(folder + "\\qwill.exe"));
    EXPECT_EQ(std::vector<std::string>({"qwill.exe", "qwill.started", "readme.txt", "setup.exe"}), FileNames(folder));
}

// The browser, with its buttons to make and delete folders, also in uninstall mode where the
// folder field is disabled.
TEST_F(Setup, TheFolderBrowser)
{
    const std::string root = world->root + "\\browse";
    MakeFolders(root + "\\full\\inner");
    MakeFolders(root + "\\empty");
    Run(world->InSetup("setup.exe"), "/r");
    HWND browser = Browse(root + "\\missing");  // opens at the nearest folder
    for (std::string name : {std::string(), std::string("full"), std::string(".."), std::string("..\\out"),
                             std::string("a/b"), std::string("x?y"), std::string(300, 'n')})
        EXPECT_FALSE(NewFolder(&browser, std::wstring(name.begin(), name.end()))) << name;  // nothing made outside, nothing at all
    EXPECT_TRUE(NewFolder(&browser, L"abc"));
    Close(browser, IDOK);
    EXPECT_EQ(root + "\\abc", run->Text(IDC_INSTALL_DIR));
    for (const char *made : {"\\a", "\\..\\out", "\\x?y", "\\never"})
        EXPECT_FALSE(FileExists(root + made)) << made;

    browser = Browse(root + "\\full");
    Press(browser, IDC_BROWSE_DELETE);
    EXPECT_FALSE(Reopened(&browser));  // not empty: it stays
    // with an item that is no folder selected (this computer, ...), the folder selected before
    // is no longer highlighted: the buttons are off and do nothing
    HWND tree = FindWindowExA(browser, NULL, "SysTreeView32", NULL);
    HTREEITEM item = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (; item && IsWindowEnabled(GetDlgItem(browser, IDC_BROWSE_DELETE));
         item = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item))
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(browser, IDC_BROWSE_NEW_FOLDER)));
    Press(browser, IDC_BROWSE_DELETE);
    Press(browser, IDC_BROWSE_NEW_FOLDER);
    EXPECT_FALSE(Reopened(&browser));
    Close(browser, IDCANCEL);
    EXPECT_EQ(root + "\\full", run->Text(IDC_INSTALL_DIR));
    EXPECT_TRUE(FileExists(root + "\\full\\inner"));

    browser = Browse(root + "\\empty");
    Press(browser, IDC_BROWSE_DELETE);
    EXPECT_TRUE(Reopened(&browser));  // at its parent
    Close(browser, IDOK);
    EXPECT_EQ(root, run->Text(IDC_INSTALL_DIR));
    EXPECT_FALSE(FileExists(root + "\\empty"));
    Cancel();
}

TEST_F(Setup, UnattendedRoundTrip)
{
    bool shown = true;
    EXPECT_EQ(0u, Silent("/s /log=" + log, &shown));
    EXPECT_FALSE(shown);
    for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"})
        EXPECT_TRUE(ReadBytes(world->InSetup(name)) == ReadBytes(world->Installed(name))) << name;
    for (int folder = 0; folder < 3; folder++)
        EXPECT_TRUE(FileExists(world->Link(folder))) << folder;
    Sleep(300);
    EXPECT_TRUE(world->Starts(world->installDir).empty());  // the messenger is not started
    EXPECT_TRUE(world->Opened(300).empty());                // and no folder opened

    EXPECT_EQ("\"" + world->Installed("setup.exe") + "\" /r /s", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "QuietUninstallString"));
    EXPECT_EQ(world->installDir, RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "InstallLocation"));
    // UTF-8 with its mark, for Notepad on any system; a header, then each step with its time
    const std::string text = ReadBytes(log);
    EXPECT_EQ(0u, text.find("\xEF\xBB\xBF")) << text;
    // made by an elevated run: for administrators and SYSTEM, not everyone
    PSECURITY_DESCRIPTOR security = NULL;
    char *dacl = NULL;
    GetNamedSecurityInfoA(log.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, NULL, NULL, &security);
    ConvertSecurityDescriptorToStringSecurityDescriptorA(security, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &dacl, NULL);
    EXPECT_TRUE(dacl && !strstr(dacl, ";WD)")) << dacl;
    LocalFree(dacl);
    LocalFree(security);
    EXPECT_EQ(" ==== ", text.substr(3 + 12, 6)) << text;
    EXPECT_TRUE(text[3 + 2] == ':' && text[3 + 8] == '.' && Logged(", Qwill setup 2.06, command line: \"")) << text;
    for (const char *step : {" install, mode 0\r\n", u8" box: 确定要开始吗?\r\n", u8" box: 安装完成! 是否立即启动Qwill?\r\n",
                             " copy ", " shortcut ", "App Paths\\qwill.exe: written", "Uninstall\\Qwill: written", " exit code 0\r\n"})
        EXPECT_TRUE(Logged(step)) << step;

    // the quiet uninstall command, run as Windows runs it
    EXPECT_EQ(0u, RunToEnd(RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "QuietUninstallString") + " /log=" + log, &shown));
    EXPECT_FALSE(shown);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
    for (int folder = 0; folder < 3; folder++)
        EXPECT_FALSE(FileExists(world->Link(folder))) << folder;
    EXPECT_TRUE(world->Opened(300).empty());
    EXPECT_TRUE(Logged("uninstall: done"));
    EXPECT_TRUE(Logged("machine key set: none"));  // there were none to delete
}

// Every text shown or registered reads right whatever the system's code page: this test also
// runs with code pages 1252 and 932 (tests/CMakeLists.txt).
TEST_F(Setup, ReadableOnAnySystem)
{
    SetupRun &r = Run(world->InSetup("setup.exe"), "2426");
    EXPECT_EQ(TITLE + " (PortNo = 2426)", TextOf(r.dialog));
    EXPECT_EQ("系统启动时自动加载", TextOf(GetDlgItem(r.Sheet(), IDC_STARTUP_LINK)));
    HWND browser = Browse(world->root);
    EXPECT_EQ(TEXT_NEW_FOLDER, TextOf(GetDlgItem(browser, IDC_BROWSE_NEW_FOLDER)));
    EXPECT_EQ(TEXT_DELETE, TextOf(GetDlgItem(browser, IDC_BROWSE_DELETE)));
    bool titled = false;
    for (HWND child = GetWindow(browser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        titled = titled || TextOf(child) == TEXT_CHOOSE_INSTALL_DIR;
    EXPECT_TRUE(titled);
    Close(browser, IDCANCEL);
    r.Click(IDC_MODE_UNINSTALL);
    EXPECT_TRUE(PumpUntil([&] { return r.SheetResource() == 151; }));
    EXPECT_EQ("删除公共键 ( Public Key )", TextOf(GetDlgItem(r.Sheet(), IDC_DEL_PUBKEY)));
    r.Click(IDC_MODE_INSTALL);
    EXPECT_TRUE(PumpUntil([&] { return r.SheetResource() == 101; }));

    // a folder that no code page of these holds (Hangul) is refused, not cut to question marks
    SetWindowTextW(GetDlgItem(r.dialog, IDC_INSTALL_DIR), (std::wstring(L"C:\\qwilltest\\") + L"\xD55C\xAE00").c_str());
    r.Click(IDOK);
    ExpectBox(IDOK, TEXT_CANNOT_CREATE_DIR, TEXT_NOTICE, MB_OK);
    SetDlgItemTextA(r.dialog, IDC_INSTALL_DIR, world->installDir.c_str());
    r.Click(IDOK);
    ExpectBox(IDOK, TEXT_START_NOW, TEXT_INSTALL, ASK);
    ExpectBox(IDCANCEL, TEXT_INSTALL_DONE, TEXT_INSTALL, ASK);
    EXPECT_EQ(0u, r.Finish());
    EXPECT_EQ("Qwill简体中文版", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayName"));
    EXPECT_EQ("Korvane", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "Publisher"));
    EXPECT_EQ("2.06", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayVersion"));

    // A folder with a letter the system's code page lacks (Ł) is not taken from the browser as
    // its look-alike (Lodz), and the buttons do nothing to it; one that the system's code page
    // holds but GBK does not installs there, and the log shows it and the program's texts right.
    const std::wstring names = std::wstring(world->root.begin(), world->root.end()) + L"\\names";
    const std::wstring lacking = L"\x0141\x00F3d\x017A", held = GetACP() == 1252 ? L"Bj\x00F6rk" : L"\xFF71\xFF8C\xFF9F\xFF98";
    for (const std::wstring &folder : {names, names + L"\\refused", names + L"\\refused\\" + lacking, names + L"\\held"})
        CreateDirectoryW(folder.c_str(), NULL);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((names + L"\\refused\\" + lacking).c_str()));  // a real name on disk
    Run(world->InSetup("setup.exe"));
    browser = Browse(world->root + "\\names\\refused");
    EXPECT_FALSE(NewFolder(&browser, lacking + L"2"));
    SelectFirstChild(browser);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(browser, IDC_BROWSE_DELETE)));
    Press(browser, IDC_BROWSE_DELETE);
    Close(browser, IDOK);
    EXPECT_EQ(world->root + "\\names\\refused", run->Text(IDC_INSTALL_DIR));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((names + L"\\refused\\" + lacking).c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((names + L"\\refused\\" + lacking + L"2").c_str()));
    if (GetACP() == 936)
        return Cancel();  // GBK holds every name of its own code page
    CreateDirectoryW((names + L"\\held\\" + held).c_str(), NULL);
    browser = Browse(world->root + "\\names\\held");
    SelectFirstChild(browser);
    Close(browser, IDOK);
    wchar_t chosen[MAX_PATH] = L"";
    SendMessageW(GetDlgItem(run->dialog, IDC_INSTALL_DIR), WM_GETTEXT, MAX_PATH, (LPARAM)chosen);
    EXPECT_TRUE(names + L"\\held\\" + held == chosen);
    InstallWithTheDialog(false);
    Run(world->InSetup("setup.exe"));  // and typed in
    SetWindowTextW(GetDlgItem(run->dialog, IDC_INSTALL_DIR), (names + L"\\held\\" + held + L"1").c_str());
    InstallWithTheDialog(false);
    for (const wchar_t *suffix : {L"", L"1"})
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((names + L"\\held\\" + held + suffix + L"\\qwill.exe").c_str()));
    char ansi[MAX_PATH] = "", utf8[MAX_PATH] = "";  // the same folder name on the command line, and in the log
    WideCharToMultiByte(CP_ACP, 0, (names + L"\\held\\" + held + L"2").c_str(), -1, ansi, MAX_PATH, NULL, NULL);
    WideCharToMultiByte(CP_UTF8, 0, (held + L"2\\qwill.exe").c_str(), -1, utf8, MAX_PATH, NULL, NULL);
    EXPECT_EQ(0u, Silent("/s \"/d=" + std::string(ansi) + "\" /log=" + log));
    EXPECT_TRUE(Logged(utf8) && Logged(u8"box: 确定要开始吗?")) << ReadBytes(log);
    // the header shows the command line as Windows holds it, a letter the code page lacks too
    std::wstring line = L"\"" + std::wstring(world->root.begin(), world->root.end()) + L"\\setup\\setup.exe\" /s /log=" +
                        std::wstring(log.begin(), log.end()) + L" /d=" + names + L"\\" + lacking;
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcessW(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    EXPECT_EQ(3u, EndProcess(&pi));
    WideCharToMultiByte(CP_UTF8, 0, lacking.c_str(), -1, utf8, MAX_PATH, NULL, NULL);
    EXPECT_TRUE(Logged(std::string(utf8) + ", scope:")) << ReadBytes(log);
}

// A PC that several people share: a machine install whose shortcuts are everyone's, and a
// person's own install beside it. A standard user (a token whose Administrators group only
// denies) installs for himself and may change only that; the settings and keys that both
// installs' messengers use stay until the last install goes.
TEST_F(Setup, ASharedMachine)
{
    const std::string folder = UserInstallFolder(), programs = folder.substr(0, folder.rfind('\\'));
    const std::string userMessenger = folder + "\\qwill.exe", machineMessenger = world->Installed("qwill.exe");
    const RunBy standard = STANDARD_USER;
    auto starts = [&](const std::string &link, const std::string &messenger) {
        return ShortcutStarts(link.c_str(), messenger.c_str());
    };
    // an upgrade of a machine install that the release before linked in the person's own
    // folders: one icon in each place, none once unticked; his shortcut with arguments stays
    ASSERT_EQ(0u, Silent("/s"));
    auto olderLinks = [&](const char *programsArgs) {
        CreateShortcut(machineMessenger.c_str(), world->UserLink(1).c_str(), programsArgs);
        CreateShortcut(machineMessenger.c_str(), world->UserLink(2).c_str(), "");
    };
    olderLinks("");
    EXPECT_EQ(0u, Silent("/s"));
    for (int link : {1, 2})
        EXPECT_TRUE(starts(world->Link(link), machineMessenger) && FileNames(world->userLinkDirs[link]).empty()) << link;
    olderLinks("/x");
    Run(world->InSetup("setup.exe"));
    for (int box : {IDC_PROGRAMS_LINK, IDC_DESKTOP_LINK})
        run->Click(box, run->Sheet());
    InstallWithTheDialog(false);
    EXPECT_FALSE(FileExists(world->Link(1)) || FileExists(world->Link(2)) || FileExists(world->UserLink(2)));
    EXPECT_TRUE(starts(world->UserLink(1), machineMessenger));  // with arguments: the person's own
    ASSERT_EQ(0u, Silent("/r /s"));

    RemoveDirectoryA(programs.c_str());  // made only by an install into it
    EXPECT_EQ(5u, RunToEnd("\"" + world->InSetup("setup.exe") + "\" /r /s", nullptr, standard));
    EXPECT_FALSE(FileExists(programs));
    Run(world->InSetup("setup.exe"), "/log=" + log, true, standard);
    EXPECT_EQ(folder, run->Text(IDC_INSTALL_DIR));
    InstallWithTheDialog(false);
    EXPECT_TRUE(Logged("scope: user, no administrator rights"));
    const std::string userUninstall = RegString(HKEY_CURRENT_USER, UNINSTALL, "QuietUninstallString");
    EXPECT_EQ("\"" + folder + "\\setup.exe\" /r /s /peruser", userUninstall);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS) || RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    for (int link = 0; link < 3; link++)
        EXPECT_TRUE(starts(world->UserLink(link), userMessenger) && !FileExists(world->Link(link))) << link;
    Run(folder + "\\setup.exe", "", true, standard);  // recognised where it is installed
    EXPECT_TRUE(run->Checked(IDC_MODE_INPLACE));
    Cancel();

    // the machine install links for everyone; one Startup shortcut starts a messenger, and
    // the person's own icons of his own install stay
    RegPutString(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng", "port", "2425");
    Containers(CRYPT_NEWKEYSET);
    EXPECT_EQ(0u, Silent("/s"));
    for (int link = 0; link < 3; link++)
        EXPECT_TRUE(starts(world->Link(link), machineMessenger)) << link;
    EXPECT_TRUE(FileNames(world->userLinkDirs[0]).empty());
    EXPECT_TRUE(starts(world->UserLink(2), userMessenger));

    // Users may read the machine's entries, not change them (Wine checks only an explicit list)
    for (const char *key : {APP_PATHS, UNINSTALL})
        ASSERT_TRUE(RegSetDacl(HKEY_LOCAL_MACHINE, key, "O:BAD:(D;;0x10006;;;WD)(A;;KR;;;WD)"));
    auto nothingChanged = [&](const char *what) {
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL) && RegKeyExists(HKEY_CURRENT_USER, UNINSTALL)) << what;
        EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng") && Containers(0) == 4) << what;
        EXPECT_TRUE(starts(world->Link(0), machineMessenger) && starts(world->UserLink(2), userMessenger)) << what;
    };
    const std::string machineUninstall = RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "QuietUninstallString");
    EXPECT_EQ(8u, RunToEnd(machineUninstall + " /log=" + log, nullptr, standard));
    EXPECT_TRUE(Logged("scope: machine, the install this program belongs to") && Logged("needs administrator rights"));
    nothingChanged("the machine's uninstall string");
    EXPECT_EQ(8u, RunToEnd("\"" + world->InSetup("setup.exe") + "\" /allusers /r /s", nullptr, standard));
    nothingChanged("/allusers /r /s");
    Run(world->InSetup("setup.exe"), "/allusers", true, standard);
    EXPECT_EQ(world->installDir, run->Text(IDC_INSTALL_DIR));
    run->Click(IDOK);
    ExpectBox(IDOK, TEXT_NEEDS_ADMINISTRATOR, TEXT_NOTICE, MB_OK);
    Cancel();
    nothingChanged("/allusers with the dialog");

    // his own uninstall leaves the machine's messenger its shortcuts, settings and keys
    EXPECT_EQ(0u, RunToEnd(userUninstall + " /log=" + log, nullptr, standard));
    EXPECT_TRUE(Logged("settings software\\Korvane\\QwillEng: kept, the messenger stays installed (machine scope)"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, UNINSTALL) || FileExists(world->UserLink(2)));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng") && Containers(0) == 4);
    EXPECT_TRUE(starts(world->Link(0), machineMessenger) && starts(world->Link(2), machineMessenger));
    // registered for himself where the machine's lies: his entry removes his registration, the
    // machine's entry the machine's
    const std::string inPlace = "\"" + world->Installed("setup.exe") + "\" /inplace /s";
    EXPECT_EQ(0u, RunToEnd(inPlace, nullptr, standard));
    EXPECT_EQ(0u, RunToEnd(RegString(HKEY_CURRENT_USER, UNINSTALL, "QuietUninstallString"), nullptr, standard));
    EXPECT_TRUE(!RegKeyExists(HKEY_CURRENT_USER, UNINSTALL) && RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    EXPECT_TRUE(!FileExists(world->UserLink(1)) && starts(world->Link(1), machineMessenger));
    for (const char *key : {APP_PATHS, UNINSTALL})
        RegSetDacl(HKEY_LOCAL_MACHINE, key, "D:(A;;KA;;;WD)");
    EXPECT_EQ(0u, RunToEnd(inPlace, nullptr, standard));
    EXPECT_EQ(0u, RunToEnd(machineUninstall));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, UNINSTALL) && !RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    EXPECT_EQ(0u, RunToEnd(RegString(HKEY_CURRENT_USER, UNINSTALL, "QuietUninstallString"), nullptr, standard));

    // the other way round: beside the machine install, his own starts no second messenger at
    // his logon; the machine's uninstall gives it its Startup shortcut back, and keeps what the
    // user's install uses
    Containers(CRYPT_NEWKEYSET);
    EXPECT_EQ(0u, Silent("/s"));
    EXPECT_EQ(0u, Silent("/s /peruser /log=" + log));
    EXPECT_TRUE(FileNames(world->userLinkDirs[0]).empty() && Logged("none, the Startup of all users starts the machine's"));
    EXPECT_EQ(0u, RunToEnd(machineUninstall + " /log=" + log));
    EXPECT_TRUE(Logged("QwillEng: kept, the messenger stays installed (user scope)"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL) || FileExists(world->Link(0)) || FileExists(world->Link(2)));
    EXPECT_TRUE(starts(world->UserLink(2), userMessenger) && Containers(0) == 2);  // the machine key set's are gone
    EXPECT_TRUE(starts(world->UserLink(0), userMessenger));
    // his own Startup shortcut to his messenger, of another name, stays as it is
    EXPECT_EQ(0u, Silent("/s"));
    CreateShortcut(userMessenger.c_str(), world->UserLink(0, "Mine.lnk").c_str(), "");
    EXPECT_EQ(0u, RunToEnd(machineUninstall));
    EXPECT_EQ(std::vector<std::string>{"Mine.lnk"}, FileNames(world->userLinkDirs[0]));
    // the last uninstall, of both, removes what they shared, and opens each one's folder
    EXPECT_EQ(0u, Silent("/s"));
    DeleteFileA((std::string(ProgramFolder()) + "opened.txt").c_str());
    Run(world->InSetup("setup.exe"), "/r");
    UninstallWithTheDialog();
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, UNINSTALL) || RegKeyExists(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng"));
    EXPECT_EQ(0, Containers(0));
    std::vector<std::string> opened;  // by two recorders, in any order
    PumpUntil([&] { return (opened = world->Opened()).size() == 2; });
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(std::vector<std::string>({world->installDir, folder}), opened);
}

// The firewall of a machine install: the messenger hears the LAN, through one set of rules
// however often it runs and wherever it moves; other rules stay, a block rule is named; the
// user scope writes none; the uninstall closes what the install opened.
TEST_F(Setup, TheFirewallLetsTheLanIn)
{
    auto ours = [](const std::string &program, const char *remote = "LocalSubnet") {
        std::vector<std::string> rules;
        for (const FirewallRule &rule : FirewallRules())
            if (rule.at("Grouping") == "Qwill")
                rules.push_back(rule.at("Name") + " " + rule.at("Protocol") + " " + rule.at("ApplicationName") + " " +
                                rule.at("RemoteAddresses") + " " + rule.at("Enabled") + rule.at("Direction") +
                                rule.at("Action") + " " + rule.at("Profiles"));
        std::sort(rules.begin(), rules.end());
        return rules == std::vector<std::string>{"Qwill (TCP-In) 6 " + program + " " + remote + " -111 2147483647",
                                                 "Qwill (UDP-In) 17 " + program + " " + remote + " -111 2147483647"};
    };
    const std::string exe = world->Installed("qwill.exe"), moved = world->root + "\\Moved";
    FirewallRule others[] = {{{"Name", "Qwill (UDP-In)"}, {"Grouping", "Other"}, {"ApplicationName", "C:\\other\\qwill.exe"}, {"Action", "1"},
                              {"Direction", "1"}, {"Protocol", "17"}},
                             {{"Name", "Block"}, {"Grouping", ""}, {"ApplicationName", exe}, {"Action", "0"}, {"Direction", "1"}, {"Enabled", "-1"}}};
    for (const FirewallRule &rule : others)
        AddFirewallRule(rule);
    EXPECT_EQ(0u, Silent("/s /log=" + log));
    EXPECT_TRUE(ours(exe) && Logged("firewall rule Qwill (TCP-In) for " + exe + ": added"));
    EXPECT_TRUE(Logged("firewall rule Block blocks the messenger: kept"));
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\QwillTest\\Firewall", "ModifyState", REG_DWORD, "\1\0\0\0", 4);
    // again, with the dialog, wider and narrower again; off and a bad value change nothing
    EXPECT_EQ(0u, Silent("/s /log=" + log));  // where Group Policy's rules apply, the log says so
    InstallWithTheDialog();
    EXPECT_TRUE(ours(exe) && Logged("firewall rule Qwill (TCP-In) for " + exe + ": kept") && Logged("Group Policy's rules apply"));
    EXPECT_EQ(0u, Silent("/s /FIREWALL=Any /log=" + log));
    EXPECT_TRUE(ours(exe, "*") && Logged("firewall rule Qwill (UDP-In) for " + exe + ": updated"));
    EXPECT_EQ(1639u, Silent("/s /firewall=all"));
    EXPECT_EQ(0u, Silent("/s /firewall=off"));
    EXPECT_TRUE(ours(exe, "*"));
    EXPECT_EQ(0u, Silent("/s"));
    EXPECT_TRUE(ours(exe));
    // moved, a duplicate left beside it, and registered in place: the rules follow, one set
    AddFirewallRule(FirewallRules().back());
    EXPECT_EQ(0u, Silent("/s /d=" + moved));
    EXPECT_TRUE(ours(moved + "\\qwill.exe"));
    EXPECT_EQ(0u, Silent("/s /inplace"));
    EXPECT_TRUE(ours(world->InSetup("qwill.exe")));
    // an install for one user writes no rule, with rights or without
    EXPECT_EQ(0u, Silent("/s /peruser /log=" + log));
    EXPECT_EQ(0u, RunToEnd("\"" + world->InSetup("setup.exe") + "\" /s", nullptr, STANDARD_USER));
    EXPECT_TRUE(ours(world->InSetup("qwill.exe")) && Logged("firewall: user scope, no rule"));
    // the firewall's service stopped: all else is done, and the code says that something is not
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\QwillTest\\Firewall", "Stopped", REG_DWORD, "\1\0\0\0", 4);
    EXPECT_EQ(7u, Silent("/s /log=" + log));
    EXPECT_TRUE(Logged("firewall: failed, 0x800706D9") && RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\QwillTest\\Firewall", "Stopped");
    // the uninstall closes what the install opened, and no other rule
    EXPECT_EQ(0u, Silent("/r /s /allusers"));
    std::vector<FirewallRule> left = FirewallRules();
    ASSERT_EQ(2u, left.size());
    for (size_t i = 0; i < 2; i++)
        for (const auto &property : others[i])
            EXPECT_EQ(property.second, left[i].at(property.first)) << property.first;
}

// Each row runs setup.exe unattended in a world of its own: what is prepared, the command line,
// the exit code, and what must hold afterwards.
TEST_F(Setup, UnattendedOutcomes)
{
    const std::string root = world->root, spaced = root + "\\My Folder\\Qwill", deep = root + "\\" + std::string(230, 'p');
    std::string upper = world->installDir;
    CharUpperA(&upper[0]);
    PROCESS_INFORMATION messenger = {};
    auto messengerWith = [&](const std::string &args, bool installed = false) {
        return [&, args, installed] {
            ASSERT_TRUE(!installed || Silent("/s") == 0);  // installed: the one an upgrade replaces
            ASSERT_TRUE(StartProcess("\"" + (installed ? world->Installed("qwill.exe") : world->InSetup("qwill.exe")) + "\" " + args, &messenger));
            PumpUntil([&] { return WindowOf(messenger.dwProcessId, [](HWND) { return true; }) != NULL; });
        };
    };
    auto endMessenger = [&] { EndProcess(&messenger, 0); };
    auto registered = [&](const std::string &folder) {
        return [=] { EXPECT_EQ(folder, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path")); };
    };
    auto startupLinks = [&](std::vector<std::string> links) {
        return [=] { EXPECT_EQ(links, FileNames(world->linkDirs[0])); };
    };
    auto none = [] {};
    auto notInstalled = [&] { EXPECT_FALSE(FileExists(world->installDir)); };
    HANDLE heldLog = NULL;
    struct Row {
        const char *what;
        std::function<void()> prepare;
        std::string args;  // after the quoted path of the setup program
        DWORD exitCode;
        std::function<void()> check;
        std::string exe;  // the setup program run; "": the one in the setup folder
    } rows[] = {
        {"a folder in quotes ends at its quote; the switches after it count", [&] { MakeFolders(root + "\\My Folder"); },
         "\"/D=" + spaced + "\" /S 999", 0, registered(spaced)},
        {"register in place: the size is of the files where they lie", none, "/inplace /s", 0, [&] {
             registered(world->setupDir)();
             EXPECT_EQ(KiB(world->setupDir), RegDword(HKEY_LOCAL_MACHINE, UNINSTALL, "EstimatedSize"));
             EXPECT_FALSE(FileExists(world->installDir));
         }},
        {"an unknown switch stops an unattended run", none, "/s /x /log=" + log, 1639, [&] {
             EXPECT_TRUE(Logged("unknown switch /x: nothing changed") && Logged("exit code 1639"));
             EXPECT_FALSE(FileExists(world->installDir));
         }},
        {"a log that cannot be written (a name nobody expanded) stops it", none, "/s \"/log=%SystemRoot%\\q.log\"", 1622,
         notInstalled},
        {"a log that another process holds: the run logs beside it", [&] {
             heldLog = CreateFileA(log.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
         },
         "/s /log=" + log, 0, [&] {
             CloseHandle(heldLog);
             std::vector<std::string> files = FileNames(root);  // setup.log.<process id>
             ASSERT_EQ(2u, files.size());
             EXPECT_NE(std::string::npos, ReadBytes(root + "\\" + files[1]).find("exit code 0"));
         }},
        {"a log in a folder that leads elsewhere (a junction; a link here) is not written", [&] {
             MakeFolders(root + "\\elsewhere");
             RunHost("Z:\\bin\\ln -s \"" + HostPath(root + "\\elsewhere") + "\" \"" + HostPath(root + "\\logs") + "\"");
         },
         "/s /log=" + root + "\\logs\\q.log", 1622, [&] {
             EXPECT_TRUE(FileNames(root + "\\elsewhere").empty());
             EXPECT_FALSE(FileExists(world->installDir));
         }},
        {"a log asked for without a name", none, "/s /log=", 1622, notInstalled},
        {"a log asked for with an empty name in quotes", none, "/s /log=\"\"", 1622, notInstalled},
        {"a log whose name is too long for a path", none, "/s /log=" + deep + "\\" + std::string(40, 'l'), 1622, notInstalled},
        {"a log that is another name of a file is not written through", [&] {
             WriteBytes(root + "\\other.txt", "not yours");
             ASSERT_TRUE(CreateHardLinkA(log.c_str(), (root + "\\other.txt").c_str(), NULL));
         },
         "/s /log=" + log, 0, [&] {
             EXPECT_EQ("not yours", ReadBytes(root + "\\other.txt"));
             std::vector<std::string> files = FileNames(root);  // the log beside it: setup.log.<process id>
             ASSERT_EQ(3u, files.size());
             EXPECT_EQ(0u, files[2].find("setup.log.")) << files[2];
             EXPECT_NE(std::string::npos, ReadBytes(root + "\\" + files[2]).find("exit code 0"));
         }},
        {"a relative folder is refused", none, "/s /d=Qwill", 3,
         [] { EXPECT_FALSE(FileExists(std::string(ProgramFolder()) + "Qwill")); }},
        {"a missing parent folder", none, "/s /d=" + root + "\\missing\\Qwill", 3,
         [&] { EXPECT_FALSE(FileExists(root + "\\missing")); }},
        {"a folder where qwill.exe fits a path but readme.txt does not", none, "/s /d=" + deep, 3,
         [&] { EXPECT_FALSE(FileExists(deep)); }},
        {"a file to copy is missing: what was copied before stays", [&] { DeleteFileA(world->InSetup("readme.txt").c_str()); },
         "/s /log=" + log, 4, [&] {
             EXPECT_TRUE(Logged("readme.txt: failed, 2 (") && !Logged("readme.txt: failed, 2 ()")) << ReadBytes(log);
             EXPECT_EQ(std::vector<std::string>({"qwill.exe", "setup.exe"}), FileNames(world->installDir));
             EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
         }},
        {"a small qwill.exe is a placeholder: org\\qwill.exe is installed",
         [&] { WriteBytes(world->InSetup("qwill.exe"), "small"); }, "/s", 0,
         [&] { EXPECT_TRUE(ReadBytes(world->InSetup("org\\qwill.exe")) == ReadBytes(world->Installed("qwill.exe"))); }},
        {"an installed placeholder stays; the other files are copied",
         [&] { MakeFolders(world->installDir), WriteBytes(world->Installed("qwill.exe"), "placeholder"); }, "/s", 0, [&] {
             EXPECT_EQ("placeholder", ReadBytes(world->Installed("qwill.exe")));
             EXPECT_EQ(ReadBytes(world->InSetup("readme.txt")), ReadBytes(world->Installed("readme.txt")));
         }},
        {"a messenger that does not close, of a class that starts with the prefix",
         messengerWith("/class QWILL_CLASS_MAIN /ignoreclose"), "/s /log=" + log, 2, [&] {
             EXPECT_TRUE(Logged("box: close the messenger?"));  // not the uninstaller's question
             EXPECT_FALSE(FileExists(world->installDir));
             endMessenger();
         }},
        {"a hung messenger cannot hang the setup program", messengerWith("/hang"), "/s", 2, endMessenger},
        {"a window one letter short of the prefix is no messenger", messengerWith("/class qwill_clas /ignoreclose"),
         "/s", 0, endMessenger},
        {"an upgrade waits for a messenger that still saves after its window is gone, and starts it again",
         messengerWith("/slowexit 1000", true), "/s", 0, [&] {
             EXPECT_TRUE(PumpUntil([&] { return world->Starts(world->installDir).size() == 6; }));
             endMessenger();
         }},
        {"a messenger that outlives the wait stays", messengerWith("/slowexit 9000", true), "/s", 2, endMessenger},
        {"a repair from the installed copy, the folder in other letters, keeps the files and registers",
         [&] { ASSERT_EQ(0u, Silent("/s")); DeleteFileA(world->Link(2).c_str()); }, "/s /d=" + upper + "\\", 0, [&] {
             EXPECT_EQ(upper + "\\", RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
             EXPECT_TRUE(FileExists(world->Link(2)) && ReadBytes(world->InSetup("qwill.exe")) == ReadBytes(world->Installed("qwill.exe")));
         },
         world->Installed("setup.exe")},
        {"a renamed setup program registered in place on a network drive is its own uninstaller",
         [&] { MakeFolders("N:\\qwilltest"), CopyFileA(world->InSetup("setup.exe").c_str(), "N:\\qwilltest\\QwillSetup.exe", FALSE); },
         "/inplace /s", 0,
         [&] { EXPECT_EQ("\"N:\\qwilltest\\QwillSetup.exe\" /r", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "UninstallString")); },
         "N:\\qwilltest\\QwillSetup.exe"},
        {"a renamed setup program installs itself, not an older setup.exe beside it", [&] {
             CopyFileA(world->InSetup("setup.exe").c_str(), world->InSetup("setup (1).exe").c_str(), FALSE);
             WriteBytes(world->InSetup("setup.exe"), "an older setup program");
         },
         "/s", 0, [&] { EXPECT_TRUE(ReadBytes(world->InSetup("setup (1).exe")) == ReadBytes(world->Installed("setup.exe"))); },
         world->InSetup("setup (1).exe")},
        {"read-only installed files (copied from a CD) are replaced, also by read-only ones", [&] {
             ASSERT_EQ(0u, Silent("/s"));
             for (const char *name : {"qwill.exe", "readme.txt"})
                 SetFileAttributesA(world->Installed(name).c_str(), FILE_ATTRIBUTE_READONLY);
             WriteBytes(world->InSetup("readme.txt"), "new readme");
             SetFileAttributesA(world->InSetup("readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
         },
         "/s", 0, [&] {
             EXPECT_EQ("new readme", ReadBytes(world->Installed("readme.txt")));
             EXPECT_EQ(std::vector<std::string>({"qwill.exe", "readme.txt", "setup.exe"}), FileNames(world->installDir));
         }},
        {"the Uninstall entry cannot be written",  // nobody may write to it
         [] { ASSERT_TRUE(RegSetDacl(HKEY_LOCAL_MACHINE, UNINSTALL, "D:(D;;KW;;;WD)(A;;KA;;;WD)")); },
         "/s /log=" + log, 7, [&] {
             EXPECT_TRUE(FileExists(world->Installed("qwill.exe")));
             EXPECT_TRUE(Logged("Uninstall\\Qwill: skipped"));
         }},
        {"a messenger shortcut in Startup keeps its name; one with arguments stays; one an older version left in the "
         "user's own Startup goes", [&] {
             CreateShortcut(world->InSetup("qwill.exe").c_str(), world->Link(0, "My messenger.lnk").c_str(), "");
             CreateShortcut(world->InSetup("qwill.exe").c_str(), world->Link(0, "With args.lnk").c_str(), "/x");
             CreateShortcut(world->InSetup("qwill.exe").c_str(), world->UserLink(0).c_str(), "");
         },
         "/s", 0, [&] {
             startupLinks({"My messenger.lnk", "With args.lnk"})();
             EXPECT_TRUE(FileNames(world->userLinkDirs[0]).empty());
         }},
        {"without common folders (Windows 9x), the user's own", [&] {
             for (const char *key : {"Shell Folders", "User Shell Folders"})
                 for (const char *name : COMMON_FOLDERS)
                     RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, (EXPLORER + key).c_str(), name);
         },
         "/s", 0, [&] { EXPECT_TRUE(FileExists(world->UserLink(0)) && !FileExists(world->Link(0))); }},
        {"a settings key that cannot be deleted is no success", [&] {
             ASSERT_EQ(0u, Silent("/s"));
             ASSERT_TRUE(RegSetDacl(HKEY_CURRENT_USER, "software\\Korvane\\QwillEng\\locked", "D:(D;;KA;;;WD)"));
         },
         "/r /s /log=" + log, 7, [&] {
             EXPECT_TRUE(Logged("QwillEng: failed"));
             EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
         }},
        {"a comctl32.dll planted beside it, which this prefix would prefer to the system's, is not loaded", [&] {
             RegPutString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides", "comctl32",
                          "native,builtin");
             CopyFileA(BuiltFile("tests\\planted.dll").c_str(), world->InSetup("comctl32.dll").c_str(), FALSE);
         },
         "/s", 0, [&] { EXPECT_FALSE(FileExists(world->InSetup("planted.loaded"))); }},
        {"one setup at a time: a second one changes nothing", [&] { Run(world->InSetup("setup.exe")); },
         "/s /log=" + log, 6, [&] {
             EXPECT_TRUE(Logged("another setup is running"));
             EXPECT_FALSE(FileExists(world->installDir));
             SetForegroundWindow(GetDesktopWindow());
             EXPECT_EQ(6u, Silent(""));  // with the dialog: the first one's comes to the front
             EXPECT_EQ(run->dialog, GetForegroundWindow());
             Cancel();
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        NewWorld();
        row.prepare();
        bool shown = true;
        EXPECT_EQ(row.exitCode, RunToEnd("\"" + (row.exe.empty() ? world->InSetup("setup.exe") : row.exe) + "\" " + row.args, &shown));
        EXPECT_FALSE(shown);
        row.check();
    }
}

// The first value of key in a manifest (UTF-8, unquoted), with token replaced by path.
std::string ManifestValue(const std::string &text, const std::string &key, const std::string &token = "<>",
                          const std::string &path = "<>")
{
    size_t at = text.find(" " + key + ": ");
    at = at == std::string::npos ? text.find("\n" + key + ": ") : at;
    if (at == std::string::npos)
        return "";
    std::string value = text.substr(at + key.size() + 3, text.find('\n', at + 1) - at - key.size() - 3);
    if (value.size() >= 2 && (value[0] == '\'' || value[0] == '"') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    size_t tokenAt = value.find(token);
    return tokenAt == std::string::npos ? value : value.replace(tokenAt, token.size(), path);
}

// The release as a deployment engine uses it (scripts/check-deploy.sh made it): the archive
// unpacked into a folder of the engine's, the manifest's switches with paths that hold spaces,
// its exit codes met for real, the registered quiet uninstall, and the commands of
// docs/DEPLOYMENT.md: the detection rule and the Group Policy start-up script.
TEST_F(Setup, DeployedAsEnginesDo)
{
    const std::string m = ReadBytes(BuiltFile("deploy\\manifests\\k\\Korvane\\Qwill\\" VERSION_TEXT "\\Korvane.Qwill.installer.yaml"));
    ASSERT_EQ("zip", ManifestValue(m, "InstallerType"));
    const std::string unpacked = BuiltFile("deploy\\Engine Temp 1"), folder = world->root + "\\Program Files X\\Qwill";
    const std::string logFile = world->root + "\\My Logs\\qwill setup.log";
    MakeFolders(world->root + "\\Program Files X");
    MakeFolders(world->root + "\\My Logs");
    const std::string install = "\"" + unpacked + "\\" + ManifestValue(m, "RelativeFilePath") + "\" " +
                                ManifestValue(m, "Silent") + " " + ManifestValue(m, "Custom") + " " +  // the machine entry's
                                ManifestValue(m, "InstallLocation", "<INSTALLPATH>", folder) +
                                " " + ManifestValue(m, "Log", "<LOGPATH>", logFile);
    EXPECT_EQ(0u, RunToEnd(install));
    EXPECT_EQ(std::vector<std::string>({"qwill.exe", "readme.txt", "setup.exe"}), FileNames(folder));
    EXPECT_TRUE(FileExists(logFile));
    const std::string entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ManifestValue(m, "ProductCode");
    for (const char *name : {"DisplayName", "Publisher", "DisplayVersion"}) {
        wchar_t wide[256] = L"";
        MultiByteToWideChar(CP_UTF8, 0, ManifestValue(m, name).c_str(), -1, wide, 255);
        EXPECT_EQ(Gbk(wide), RegString(HKEY_LOCAL_MACHINE, entry, name)) << name;
    }

    // removed as DEPLOYMENT.md says; the detection rule then finds nothing
    // (the 32-bit view, where a 32-bit setup.exe writes on 64-bit Windows)
    const std::string detect = "reg query \"HKLM\\" + entry + "\" /v DisplayVersion /reg:" + (sizeof(void *) == 4 ? "32" : "64");
    EXPECT_EQ(0u, RunToEnd(detect));
    EXPECT_EQ(0u, RunToEnd("\"" + unpacked + "\\setup.exe\" /r /s /allusers"));  // from the package
    EXPECT_NE(0u, RunToEnd(detect));

    // the start-up script installs where the messenger is missing or older, and only there
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string script = "cmd /c \"" + unpacked + "\\qwill-startup.cmd\"", scriptLog = std::string(windows) + "\\Logs\\qwill-setup.log";
    // (versions compared part by part as numbers), and passes setup.exe's exit code on; it
    // makes the log's folder where Windows XP lacks it
    RemoveTree(std::string(windows) + "\\Logs");
    const struct {
        const char *before;
        bool installs;
    } versions[] = {{"", true}, {"2.05", true}, {VERSION_TEXT, false}, {"2.10", false}, {"10.0", false}};
    for (const auto &version : versions) {
        DeleteFileA(scriptLog.c_str());
        if (version.before[0])
            RegPutString(HKEY_LOCAL_MACHINE, entry, "DisplayVersion", version.before);
        EXPECT_EQ(0u, RunToEnd(script)) << version.before;
        EXPECT_EQ(version.installs, FileExists(scriptLog)) << version.before;
        EXPECT_EQ(version.installs ? VERSION_TEXT : version.before, RegString(HKEY_LOCAL_MACHINE, entry, "DisplayVersion"));
    }
    RegPutString(HKEY_LOCAL_MACHINE, entry, "DisplayVersion", "2.05");
    PROCESS_INFORMATION messenger;
    ASSERT_TRUE(StartProcess("\"" + world->InSetup("qwill.exe") + "\" /ignoreclose", &messenger));
    PumpUntil([&] { return WindowOf(messenger.dwProcessId, [](HWND) { return true; }) != NULL; });
    EXPECT_EQ(2u, RunToEnd(script));
    EndProcess(&messenger, 0);
    DeleteFileA(scriptLog.c_str());
}

// An upgrade that runs out of disk space leaves the installed messenger as it was.
TEST_F(Setup, ADiskFullUpgradeKeepsTheOldFile)
{
    const std::string disk = "S:\\";  // a small disk that the test command mounts when it may
    if (GetDriveTypeA(disk.c_str()) == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "no small disk S: (mounting a small file system needs root)";
    const std::string folder = disk + "Qwill";
    ASSERT_EQ(0u, Silent("/s /d=" + folder));
    std::string old = ReadBytes(folder + "\\qwill.exe");
    WriteBytes(world->InSetup("qwill.exe"), std::string(8 << 20, 'Q'));  // more than the disk holds
    EXPECT_EQ(4u, Silent("/s /d=" + folder));
    EXPECT_TRUE(old == ReadBytes(folder + "\\qwill.exe"));
    EXPECT_EQ(std::vector<std::string>({"qwill.exe", "readme.txt", "setup.exe"}), FileNames(folder));
}

}  // namespace
