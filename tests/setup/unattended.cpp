// setup.exe unattended: its switches and exit codes, and the release as deployment engines
// install it.
#include "fixture.h"

namespace {

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
    EXPECT_TRUE(text[3 + 2] == ':' && text[3 + 8] == '.' && Logged(", Qwill setup " VERSION_TEXT ", command line: \"")) << text;
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

}  // namespace
