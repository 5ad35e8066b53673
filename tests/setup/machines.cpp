// setup.exe on machines as they live: a messenger running elsewhere through several upgrades
// before a restart, a machine several people share, the firewall, a full disk.
#include "fixture.h"

namespace {

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
