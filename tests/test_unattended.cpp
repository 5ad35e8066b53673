// Unattended runs, the Add/Remove Programs entry and the hardened start, on the real setup.exe.
#include "resource.h"
#include "scratch.h"
#include "setuprun.h"
#include "texts.h"
#include "winwait.h"
#include "world.h"

#include <gtest/gtest.h>

namespace {

const char CURRENT_VERSION[] = "Software\\Microsoft\\Windows\\CurrentVersion";
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
        programFiles.reset(new RegBackup(HKEY_LOCAL_MACHINE, CURRENT_VERSION));
        RegPutString(HKEY_LOCAL_MACHINE, CURRENT_VERSION, "ProgramFilesDir", world->root + "\\Program Files");
        log = world->root + "\\setup.log";
    }
    void TearDown() override
    {
        programFiles.reset();
        world.reset();
    }
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

    std::unique_ptr<SetupWorld> world;
    std::unique_ptr<RegBackup> programFiles;
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
    EXPECT_EQ("2.06", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "DisplayVersion"));
    EXPECT_EQ(world->installDir, RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "InstallLocation"));
    EXPECT_EQ("Korvane", RegString(HKEY_LOCAL_MACHINE, UNINSTALL, "Publisher"));
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

    EXPECT_EQ(5u, Silent("/r /s").exitCode);  // nothing left to uninstall
}

TEST_F(Unattended, InstallFolderSwitch)
{
    for (std::string folder : {world->root + "\\My Folder\\Qwill", world->root + "\\Other Folder\\Qwill"}) {
        MakeFolders(folder.substr(0, folder.rfind('\\')));
        bool quoted = folder.find("Other") != std::string::npos;
        std::string arg = quoted ? "/d=\"" + folder + "\"" : "/d=" + folder;
        EXPECT_EQ(0u, Silent("/s " + arg).exitCode) << arg;
        EXPECT_TRUE(FileExists(folder + "\\qwill.exe")) << arg;
        EXPECT_EQ(folder, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path")) << arg;
    }
}

TEST_F(Unattended, InPlace)
{
    EXPECT_EQ(0u, Silent("/inplace /s").exitCode);
    EXPECT_FALSE(FileExists(world->installDir));
    EXPECT_EQ(world->setupDir, RegString(HKEY_LOCAL_MACHINE, APP_PATHS, "Path"));
}

TEST_F(Unattended, ExitCodesOfFailures)
{
    EXPECT_EQ(3u, Silent("/s /d=" + world->root + "\\missing\\Qwill").exitCode);
    EXPECT_FALSE(FileExists(world->root + "\\missing"));

    DeleteFileA(world->InSetup("readme.txt").c_str());
    EXPECT_EQ(4u, Silent("/s").exitCode);
    EXPECT_TRUE(FileExists(world->Installed("setup.exe")));  // copied before the failure
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, APP_PATHS));
    RemoveTree(world->installDir);

    PROCESS_INFORMATION pi;
    ASSERT_TRUE(StartProcess("\"" + world->InSetup("qwill.exe") + "\" /ignoreclose", &pi));
    PumpUntil([&] { return TopWindowOfProcess(pi.dwProcessId, "qwill_class") != NULL; });
    Outcome running = Silent("/s /log=" + log);
    EXPECT_EQ(2u, running.exitCode);
    EXPECT_FALSE(running.windowShown);
    EXPECT_FALSE(FileExists(world->Installed("qwill.exe")));
    EXPECT_NE(std::string::npos, Log().find("messenger still running"));
    EndProcess(&pi, 0);
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
    const char appDefaults[] = "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides";
    RegBackup keep(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
    RegPutString(HKEY_CURRENT_USER, appDefaults, "comctl32", "native,builtin");
    ASSERT_TRUE(CopyFileA(BuiltFile("tests\\planted.dll").c_str(), world->InSetup("comctl32.dll").c_str(), FALSE));

    SetupRun run;
    ASSERT_TRUE(run.Start("\"" + world->InSetup("setup.exe") + "\""));
    run.Click(IDCANCEL);
    EXPECT_EQ(0u, run.Finish());
    EXPECT_EQ(0u, Silent("/s /inplace").exitCode);
    EXPECT_FALSE(FileExists(world->InSetup("planted.loaded")));
}

}  // namespace
