// setup.exe with its dialog: installed, uninstalled and left as a person does, its folder
// browser, and its texts on any system.
#include "fixture.h"

namespace {

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
    EXPECT_EQ(VERSION_TEXT, RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayVersion"));

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

}  // namespace
