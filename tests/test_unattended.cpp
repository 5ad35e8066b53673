// Unattended runs, the Add/Remove Programs entry and the hardened start, on the real setup.exe.
#include "resource.h"
#include "scratch.h"
#include "setuprun.h"
#include "texts.h"
#include "winwait.h"
#include "world.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <functional>

namespace {

const char APP_PATHS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qwill.exe";
const char UNINSTALL[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qwill";

struct Outcome {
    DWORD exitCode;
    bool windowShown;
};

class Unattended : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.reset(new SetupWorld("unattended"));
        log = world->root + "\\setup.log";
    }
    void TearDown() override { world.reset(); }
    // Runs a command line to its end, watching for any window of the process.
    Outcome Run(const std::string &cmdLine)
    {
        PROCESS_INFORMATION pi;
        Outcome outcome = {0xFFFFFFFF, false};
        if (!StartProcess(cmdLine, &pi))
            return outcome;
        DWORD start = GetTickCount();
        while (WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT && GetTickCount() - start < 30000) {
            HWND wnd = TopWindowOfProcess(pi.dwProcessId);
            if (wnd && IsWindowVisible(wnd))
                outcome.windowShown = true;
        }
        outcome.exitCode = EndProcess(&pi, 0);
        return outcome;
    }
    Outcome Silent(const std::string &args) { return Run("\"" + world->InSetup("setup.exe") + "\" " + args); }
    std::string Log() { return ReadBytes(log); }
    DWORD Dword(const char *name)
    {
        DWORD value = 0, size = sizeof(value);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, name, NULL, NULL, (BYTE *)&value, &size);
            RegCloseKey(key);
        }
        return value;
    }

    // A string of the program's version resource, from its Simplified Chinese block.
    std::string VersionString(const std::string &program, const char *name)
    {
        std::vector<char> data(GetFileVersionInfoSizeA(program.c_str(), NULL));
        char *value = NULL;
        UINT len = 0;
        std::string query = std::string("\\StringFileInfo\\080403a8\\") + name;
        if (data.empty() || !GetFileVersionInfoA(program.c_str(), 0, data.size(), data.data()) ||
            !VerQueryValueA(data.data(), query.c_str(), (void **)&value, &len) || !len)
            return "";
        return value;
    }
    // KiB of the three program files in folder
    DWORD KiB(const std::string &folder)
    {
        size_t bytes = 0;
        for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"})
            bytes += ReadBytes(folder + "\\" + name).size();
        return (DWORD)((bytes + 1023) / 1024);
    }
    // The file names in folder, sorted: nothing left behind by a copy.
    std::vector<std::string> Names(const std::string &folder)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    names.push_back(found.cFileName);
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Denies everyone writing to the key (made when missing), or takes that back and removes it.
    void LockKey(const char *path, bool lock)
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, WRITE_DAC, NULL, &key, NULL) != ERROR_SUCCESS)
            return;
        PSECURITY_DESCRIPTOR sd;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA(lock ? "D:(D;;KW;;;WD)(A;;KA;;;WD)" : "D:(A;;KA;;;WD)",
                                                                 SDDL_REVISION_1, &sd, NULL)) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
            LocalFree(sd);
        }
        RegCloseKey(key);
        if (!lock)
            RegRemoveTree(HKEY_LOCAL_MACHINE, path);
    }

    std::unique_ptr<SetupWorld> world;
    std::string log;
};

TEST_F(Unattended, InstallAndUninstallRoundTrip)
{
    Outcome installed = Silent("/s /log=" + log);
    EXPECT_EQ(0u, installed.exitCode);
    EXPECT_FALSE(installed.windowShown);
    for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"})
        EXPECT_EQ(ReadBytes(world->InSetup(name)), ReadBytes(world->Installed(name))) << name;
    for (int folder = 0; folder < 3; folder++)
        EXPECT_TRUE(FileExists(world->Link(folder))) << folder;
    EXPECT_EQ(world->installDir, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
    Sleep(300);
    EXPECT_TRUE(world->Starts(world->installDir).empty());  // the messenger is not started
    EXPECT_TRUE(world->Opened(300).empty());                // and no folder opened

    std::string setup = world->Installed("setup.exe");
    EXPECT_EQ("\"" + setup + "\" /r", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "UninstallString"));
    EXPECT_EQ("\"" + setup + "\" /r /s", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "QuietUninstallString"));
    EXPECT_EQ(world->Installed("qwill.exe"), RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayIcon"));
    EXPECT_EQ(world->installDir, RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "InstallLocation"));
    // the entry and the program's version resource say the same, in GBK
    EXPECT_EQ("2.06", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayVersion"));
    const std::pair<const char *, std::string> version[] = {
        {"FileVersion", "2.06"},
        {"ProductVersion", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayVersion")},
        {"CompanyName", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "Publisher")},
        {"ProductName", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayName")},
        {"FileDescription", "Qwill\xD7\xB0\xD4\xD8\xB3\xCC\xD0\xF2"},
        {"OriginalFilename", "setup.exe"}};
    for (const auto &entry : version)
        EXPECT_EQ(entry.second, VersionString(setup, entry.first)) << entry.first;
    EXPECT_EQ("Korvane", VersionString(setup, "CompanyName"));
    EXPECT_FALSE(VersionString(setup, "LegalCopyright").empty());
    size_t bytes = 0;
    for (const char *name : {"qwill.exe", "setup.exe", "readme.txt"})
        bytes += ReadBytes(world->Installed(name)).size();
    EXPECT_EQ((bytes + 1023) / 1024, Dword("EstimatedSize"));
    EXPECT_EQ(1u, Dword("NoModify"));
    EXPECT_EQ(1u, Dword("NoRepair"));

    std::string text = Log();
    for (const char *step : {"install, mode 0", "install folder", "copy ", "shortcut ", "registry App Paths",
                             "registry Uninstall", "start ", "install: done", "exit code 0"})
        EXPECT_NE(std::string::npos, text.find(step)) << step;
    EXPECT_NE(std::string::npos, text.find("copy " + world->InSetup("readme.txt") + " -> " +
                                           world->Installed("readme.txt") + ": ok"));

    // the quiet uninstall command, run as Windows runs it
    Outcome removed = Run(RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "QuietUninstallString") + " /log=" + log);
    EXPECT_EQ(0u, removed.exitCode);
    EXPECT_FALSE(removed.windowShown);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
    for (int folder = 0; folder < 3; folder++)
        EXPECT_FALSE(FileExists(world->Link(folder))) << folder;
    EXPECT_TRUE(world->Opened(300).empty());
    EXPECT_NE(std::string::npos, Log().find("uninstall: done"));
    EXPECT_NE(std::string::npos, Log().find("machine key set: none"));  // there were none to delete

    EXPECT_EQ(5u, Silent("/r /s").exitCode);  // nothing left to uninstall
}

// Each row runs setup.exe unattended in a world of its own: what is prepared, the command
// line, the exit code, and what must hold afterwards.
TEST_F(Unattended, Outcomes)
{
    PROCESS_INFORMATION messenger = {};
    const std::string spaced = "My Folder\\Qwill", other = "Other Folder\\Qwill";
    struct Row {
        const char *what;
        std::function<void()> prepare;
        std::function<std::string()> args;  // after the quoted path of the setup program
        DWORD exitCode;
        std::function<void()> check;
        const char *exe;
    } rows[] = {
        {"a quoted folder ends at its quote; the switches after it count",
         [&] { MakeFolders(world->root + "\\My Folder"); },
         [&] { return "/d=\"" + world->root + "\\" + spaced + "\" /s /log=" + log; }, 0,
         [&] {
             EXPECT_TRUE(FileExists(world->root + "\\" + spaced + "\\qwill.exe"));
             EXPECT_EQ(world->root + "\\" + spaced, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
             EXPECT_NE(std::string::npos, Log().find("exit code 0"));
         }},
        {"the whole switch in quotes, as a shell quotes an argument with spaces",
         [&] { MakeFolders(world->root + "\\Other Folder"); },
         [&] { return "/s \"/d=" + world->root + "\\" + other + "\""; }, 0,
         [&] {
             EXPECT_TRUE(FileExists(world->root + "\\" + other + "\\qwill.exe"));
             EXPECT_FALSE(FileExists(world->installDir));
         }},
        {"an unquoted folder takes the rest of the line", [&] { MakeFolders(world->root + "\\My Folder"); },
         [&] { return "/s /d=" + world->root + "\\" + spaced; }, 0,
         [&] { EXPECT_EQ(world->root + "\\" + spaced, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path")); }},
        {"register in place: the size is of the files where they lie", [] {}, [] { return "/inplace /s"; }, 0,
         [&] {
             EXPECT_FALSE(FileExists(world->installDir));
             EXPECT_EQ(world->setupDir, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
             EXPECT_EQ(KiB(world->setupDir), Dword("EstimatedSize"));
         }},
        {"a relative folder is refused", [] {}, [] { return "/s /d=Qwill"; }, 3,
         [&] {
             EXPECT_FALSE(FileExists(world->setupDir + "\\Qwill"));
             EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
         }},
        {"a missing parent folder", [] {}, [&] { return "/s /d=" + world->root + "\\missing\\Qwill"; }, 3,
         [&] { EXPECT_FALSE(FileExists(world->root + "\\missing")); }},
        {"a file to copy is missing: what was copied before stays",
         [&] { DeleteFileA(world->InSetup("readme.txt").c_str()); }, [] { return "/s"; }, 4,
         [&] {
             EXPECT_TRUE(FileExists(world->Installed("setup.exe")));
             EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
         }},
        {"the messenger does not close", [&] {
             ASSERT_TRUE(StartProcess("\"" + world->InSetup("qwill.exe") + "\" /ignoreclose", &messenger));
             PumpUntil([&] { return TopWindowOfProcess(messenger.dwProcessId, "qwill_class") != NULL; });
         },
         [&] { return "/s /log=" + log; }, 2,
         [&] {
             EXPECT_FALSE(FileExists(world->Installed("qwill.exe")));
             EXPECT_NE(std::string::npos, Log().find("messenger still running"));
             EndProcess(&messenger, 0);
         }},
        {"a renamed setup program installs itself, not an older setup.exe beside it",
         [&] {
             CopyFileA(world->InSetup("setup.exe").c_str(), world->InSetup("setup (1).exe").c_str(), FALSE);
             WriteBytes(world->InSetup("setup.exe"), "an older setup program");
         },
         [] { return "/s"; }, 0,
         [&] { EXPECT_TRUE(ReadBytes(world->InSetup("setup (1).exe")) == ReadBytes(world->Installed("setup.exe"))); },
         "setup (1).exe"},
        {"read-only installed files (copied from a CD) are replaced",
         [&] {
             ASSERT_EQ(0u, Silent("/s").exitCode);
             for (const char *name : {"qwill.exe", "readme.txt"})
                 SetFileAttributesA(world->Installed(name).c_str(), FILE_ATTRIBUTE_READONLY);
             WriteBytes(world->InSetup("readme.txt"), "new readme");
         },
         [] { return "/s"; }, 0,
         [&] {
             EXPECT_EQ("new readme", ReadBytes(world->Installed("readme.txt")));
             EXPECT_EQ(std::vector<std::string>({"qwill.exe", "readme.txt", "setup.exe"}), Names(world->installDir));
         }},
        {"the Uninstall entry cannot be written", [&] { LockKey(UNINSTALL, true); },
         [&] { return "/s /log=" + log; }, 7,
         [&] {
             LockKey(UNINSTALL, false);
             EXPECT_TRUE(FileExists(world->Installed("qwill.exe")));
             EXPECT_NE(std::string::npos, Log().find("Uninstall\\Qwill: skipped"));
             EXPECT_EQ(std::string::npos, Log().find("Uninstall\\Qwill: written"));
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        world.reset();  // the old world goes first: the new one has the same folders
        world.reset(new SetupWorld("unattended"));
        row.prepare();
        Outcome outcome = Run("\"" + world->InSetup(row.exe ? row.exe : "setup.exe") + "\" " + row.args());
        EXPECT_EQ(row.exitCode, outcome.exitCode);
        EXPECT_FALSE(outcome.windowShown);
        row.check();
    }
}

// An upgrade that runs out of disk space leaves the installed messenger as it was.
TEST_F(Unattended, ADiskFullUpgradeKeepsTheOldFile)
{
    const std::string disk = "S:\\";  // a small disk that the test command mounts when it may
    if (GetDriveTypeA(disk.c_str()) == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "no small disk S: (mounting a small file system needs root)";
    const std::string folder = disk + "Qwill";
    ASSERT_EQ(0u, Silent("/s /d=" + folder).exitCode);
    std::string old = ReadBytes(folder + "\\qwill.exe");
    WriteBytes(world->InSetup("qwill.exe"), std::string(8 << 20, 'Q'));  // more than the disk holds
    EXPECT_EQ(4u, Silent("/s /d=" + folder).exitCode);
    EXPECT_TRUE(old == ReadBytes(folder + "\\qwill.exe"));
    EXPECT_EQ(std::vector<std::string>({"qwill.exe", "readme.txt", "setup.exe"}), Names(folder));
    RemoveTree(folder);
}

// One setup at a time: a second unattended one leaves, a second with the dialog brings the
// first one's dialog to the front and leaves.
TEST_F(Unattended, TwoSetupsAtOnce)
{
    SetupRun first;
    ASSERT_TRUE(first.Start("\"" + world->InSetup("setup.exe") + "\""));
    EXPECT_EQ(6u, Silent("/s /log=" + log).exitCode);
    EXPECT_FALSE(FileExists(world->installDir));
    EXPECT_NE(std::string::npos, Log().find("another setup is running"));

    SetForegroundWindow(GetDesktopWindow());
    Outcome second = Silent("");
    EXPECT_EQ(6u, second.exitCode);
    EXPECT_FALSE(second.windowShown);
    EXPECT_EQ(first.dialog, GetForegroundWindow());
    first.Click(IDCANCEL);
    EXPECT_EQ(0u, first.Finish());
    EXPECT_EQ(0u, Silent("/s").exitCode);  // free again
}

TEST_F(Unattended, WithoutTheSwitchNothingChanges)
{
    SetupRun run;
    ASSERT_TRUE(run.Start("\"" + world->InSetup("setup.exe") + "\" /inplace /d=C:\\elsewhere"));
    EXPECT_TRUE(run.Checked(IDC_MODE_INSTALL));
    EXPECT_EQ(world->installDir, run.Text(IDC_INSTALL_DIR));
    run.Click(IDCANCEL);
    EXPECT_EQ(0u, run.Finish());
}

TEST_F(Unattended, AMessengerThatStaysIsNamedAndMayBeRetried)
{
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(StartProcess("\"" + world->InSetup("qwill.exe") + "\" /ignoreclose", &pi));
    PumpUntil([&] { return TopWindowOfProcess(pi.dwProcessId, "qwill_class") != NULL; });
    SetupRun run;
    ASSERT_TRUE(run.Start("\"" + world->InSetup("setup.exe") + "\""));
    BoxSeen seen;
    for (int answer : {IDCANCEL, IDRETRY}) {
        run.Click(IDOK);
        ASSERT_TRUE(run.NextBox(&seen, IDOK));
        EXPECT_EQ(TEXT_CLOSE_MESSENGER, seen.text);
        // before retrying, the user closes it
        ASSERT_TRUE(run.NextBox(&seen, answer, 10000, [&] {
            if (answer == IDRETRY)
                EndProcess(&pi, 0);
        }));
        EXPECT_EQ((UINT)(MB_RETRYCANCEL | MB_ICONWARNING), seen.style);
        EXPECT_EQ(TEXT_NOTICE, seen.caption);
        EXPECT_NE(std::string::npos, seen.text.find("qwill.exe")) << seen.text;
        EXPECT_FALSE(FileExists(world->Installed("qwill.exe")));
    }
    ASSERT_TRUE(run.NextBox(&seen, IDOK));
    EXPECT_EQ(TEXT_START_NOW, seen.text);
    ASSERT_TRUE(run.NextBox(&seen, IDCANCEL));
    EXPECT_EQ(TEXT_INSTALL_DONE, seen.text);
    EXPECT_EQ(0u, run.Finish());
    EXPECT_TRUE(FileExists(world->Installed("qwill.exe")));
}

TEST_F(Unattended, APlantedLibraryIsNotLoaded)
{
    // the program's folder holds a comctl32.dll, and this prefix would prefer it to the system's
    RegPutString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides", "comctl32", "native,builtin");
    ASSERT_TRUE(CopyFileA(BuiltFile("tests\\planted.dll").c_str(), world->InSetup("comctl32.dll").c_str(), FALSE));

    SetupRun run;
    ASSERT_TRUE(run.Start("\"" + world->InSetup("setup.exe") + "\""));
    run.Click(IDCANCEL);
    EXPECT_EQ(0u, run.Finish());
    EXPECT_EQ(0u, Silent("/s /inplace").exitCode);
    EXPECT_FALSE(FileExists(world->InSetup("planted.loaded")));
}

}  // namespace
