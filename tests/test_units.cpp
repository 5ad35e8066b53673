// The pieces every outside input goes through, as tables of boundaries: the command line, path
// functions and the file copy (registry strings: test_framework). Buffers carry guard bytes that
// no write may touch.
#include "filecopy.h"
#include "harness.h"
#include "installcfg.h"
#include "paths.h"
#include "restartlist.h"
#include "scope.h"
#include "setuplog.h"

#include <gtest/gtest.h>

namespace {

// A MAX_PATH buffer followed by guard bytes, all of a byte no write of a path leaves.
struct Guarded {
    char buf[MAX_PATH + 64];
    Guarded()
    {
        memset(buf, '\xCC', sizeof(buf));
        buf[MAX_PATH - 1] = 0;
    }
    bool Intact() const { return std::string(buf + MAX_PATH, 64) == std::string(64, '\xCC'); }
};

const std::string JOU = "\x81\x5C";  // 乗 in GBK: its second byte is the code of '\'

std::string Path(size_t len) { return "C:\\" + std::string(len - 3, 'p'); }

TEST(CommandLine, Table)
{
    struct Row {
        std::string line;
        int mode, port;
        bool silent, inPlace;
        const char *folder;  // NULL: no "/d="
        std::string log;
        int scope = SCOPE_ANY;  // the last one given counts, for the dialog too
        std::string unknown = "";  // the first word with "/" that is no switch
    } rows[] = {
        {"", 0, 2425, false, false, NULL, ""},
        {"/r", 2, 2425, false, false, NULL, ""},
        // the program's own switches in any letter case; "/r" exactly
        {"/R -r /rr x/r \"/r\" /S /ss /D=C:\\x", 0, 2425, true, false, "C:\\x", "", SCOPE_ANY, "/R"},
        {"/InPlace /LOG=\"C:\\q.log\" /PerUser /ALLUSERS \"/D=C:\\A B\"", 0, 2425, false, true, "C:\\A B", "C:\\q.log",
         SCOPE_MACHINE},
        {"999x", 0, 999, false, false, NULL, ""},
        {"999\r", 0, 999, false, false, NULL, ""},  // a carriage return is no separator
        {"5\t7\n/r", 2, 7, false, false, NULL, ""},
        {"0 abc -5 +5 2147483648 99999999999", 0, 2425, false, false, NULL, ""},
        {"2147483647 " + std::string(100000, '9'), 0, 2147483647, false, false, NULL, ""},
        {"999 /r /s /inplace /log=C:\\x.log /d=C:\\My Apps\\Qwill  ", 2, 999, true, true, "C:\\My Apps\\Qwill",
         "C:\\x.log"},
        {"/log=\"C:\\Logs 2024\\q.log\"", 0, 2425, false, false, NULL, "C:\\Logs 2024\\q.log"},
        {"/log=\"C:\\x /r 7\\q.log\" /s", 0, 2425, true, false, NULL, "C:\\x /r 7\\q.log"},
        {"/d=\"C:\\My Apps\\Qwill\" /s /log=C:\\q.log 99", 0, 99, true, false, "C:\\My Apps\\Qwill", "C:\\q.log"},
        {"/s \"/d=C:\\My Apps\\Qwill\"", 0, 2425, true, false, "C:\\My Apps\\Qwill", ""},
        {"\"/log=C:\\My Logs\\q.log\" /r /s", 2, 2425, true, false, NULL, "C:\\My Logs\\q.log"},
        {"/s /d=C:\\My Apps\\Qwill /r 5", 0, 2425, true, false, "C:\\My Apps\\Qwill /r 5", ""},
        {"\"/r\" \"2426\" /d=\"C:\\open", 0, 2425, false, false, "C:\\open", ""},
        {"/peruser /s 5 /allusers", 0, 5, true, false, NULL, "", SCOPE_MACHINE},
        {"/allusers \"/peruser\" /PERUSER /peruser", 0, 2425, false, false, NULL, "", SCOPE_USER},
    };
    for (const Row &row : rows) {
        InstallCfg cfg;
        SetupSwitches sw;
        InitInstallCfg(&cfg);
        ParseSetupSwitches(row.line.c_str(), &cfg, &sw);
        std::string line = row.line.substr(0, 60);
        EXPECT_EQ(row.mode, cfg.mode) << line;
        EXPECT_EQ(row.port, cfg.port) << line;
        EXPECT_EQ(row.silent, sw.silent != 0) << line;
        EXPECT_EQ(row.inPlace, sw.inPlace != 0) << line;
        EXPECT_EQ(row.folder != NULL, sw.folderGiven != 0) << line;
        EXPECT_STREQ(row.folder ? row.folder : "", sw.folder) << line;
        EXPECT_EQ(row.log, sw.logFile) << line;
        EXPECT_EQ(row.unknown, sw.unknown) << line;
        // the dialog reads the same line for "/r" and the port
        InstallCfg dialog;
        InitInstallCfg(&dialog);
        std::string copy = row.line;
        ParseCommandLine(&copy[0], &dialog);
        EXPECT_EQ(row.mode, dialog.mode) << line;
        EXPECT_EQ(row.port, dialog.port) << line;
        EXPECT_EQ(row.scope, dialog.scope) << line;
    }
    for (size_t len : {259u, 260u, 261u, 4000u}) {  // a value too long for a path is no value
        InstallCfg cfg;
        SetupSwitches sw;
        ParseSetupSwitches(("/s /log=" + Path(len) + " /d=" + Path(len)).c_str(), &cfg, &sw);
        EXPECT_EQ(len < MAX_PATH ? Path(len) : "", sw.folder) << len;
        EXPECT_EQ(len < MAX_PATH ? Path(len) : "", sw.logFile) << len;
    }
}

// Asked for or not, on Windows NT with and without administrator rights, and on Windows 9x.
TEST(Scope, ChosenByTheRights)
{
    struct Row {
        InstallScope requested;
        BOOL nt, administrator;
        InstallScope scope;
        BOOL permitted;
    } rows[] = {
        {SCOPE_ANY, TRUE, TRUE, SCOPE_MACHINE, TRUE},       {SCOPE_ANY, TRUE, FALSE, SCOPE_USER, TRUE},
        {SCOPE_ANY, FALSE, FALSE, SCOPE_MACHINE, TRUE},     {SCOPE_USER, TRUE, TRUE, SCOPE_USER, TRUE},
        {SCOPE_MACHINE, TRUE, FALSE, SCOPE_MACHINE, FALSE}, {SCOPE_MACHINE, FALSE, FALSE, SCOPE_MACHINE, TRUE},
    };
    for (const Row &row : rows) {
        ScopeChoice choice = ChooseScopeFrom(row.requested, row.nt, row.administrator);
        EXPECT_EQ(row.scope, choice.scope) << choice.reason;
        EXPECT_EQ(row.permitted, choice.permitted) << choice.reason;
    }
    EXPECT_EQ(SCOPE_MACHINE, ChooseScope(SCOPE_ANY).scope);  // every Wine process is an administrator

    // What an uninstall removes (registered, own: bits of the scopes): a standard user never
    // gets another scope removed in the place of the machine's.
    const int M = ScopeBit(SCOPE_MACHINE), U = ScopeBit(SCOPE_USER);
    struct UninstallRow {
        InstallScope requested;
        BOOL administrator;
        int registered, own, scopes, staying;
        BOOL permitted;
    } uninstalls[] = {
        {SCOPE_ANY, FALSE, M | U, M, M, U, FALSE},  // the machine's uninstall string
        {SCOPE_ANY, FALSE, M | U, 0, U, M, TRUE},   // from elsewhere: what the rights reach
        {SCOPE_ANY, FALSE, M, 0, M, 0, FALSE},
        {SCOPE_MACHINE, FALSE, U, 0, M, U, FALSE},
        {SCOPE_ANY, TRUE, M | U, U, U, M, TRUE},
        {SCOPE_ANY, TRUE, M | U, M | U, M, U, TRUE},  // both in one folder: the command without a scope is the machine's
        {SCOPE_ANY, TRUE, M | U, 0, M | U, 0, TRUE},
        {SCOPE_ANY, TRUE, 0, 0, M, 0, TRUE},
    };
    for (const UninstallRow &row : uninstalls) {
        ScopeChoice scope = ChooseScopeFrom(row.requested, TRUE, row.administrator);
        UninstallChoice choice = ChooseUninstallFrom(row.requested, scope, row.registered, row.own);
        EXPECT_EQ(row.scopes, choice.scopes) << choice.reason;
        EXPECT_EQ(row.staying, choice.staying) << choice.reason;
        EXPECT_EQ(row.permitted, choice.permitted) << choice.reason;
    }
}

TEST(Paths, JoinAndParent)
{
    ASSERT_EQ(936u, GetACP());
    struct Join {
        std::string dir, name, joined;  // "": does not fit
    } joins[] = {
        {"C:\\Program Files", "qwill.exe", "C:\\Program Files\\qwill.exe"},
        {"C:\\", "qwill.exe", "C:\\qwill.exe"},
        {"", "qwill.exe", "qwill.exe"},
        {"C:\\" + JOU, "x", "C:\\" + JOU + "\\x"},  // its second byte is no separator
        {"C:\\" + JOU + "\\", "x", "C:\\" + JOU + "\\x"},
        {"D:\\\xB0\xA1" + JOU, "x", "D:\\\xB0\xA1" + JOU + "\\x"},
        {Path(256), "ab", Path(256) + "\\ab"},  // 259 bytes and the terminator
        {Path(257), "ab", ""},
        {Path(260), "ab", ""},
        {Path(4000), "ab", ""},
        {"", std::string(MAX_PATH, 'n'), ""},
    };
    for (const Join &join : joins) {
        Guarded out;
        BOOL ok = JoinPath(out.buf, join.dir.c_str(), join.name.c_str());
        EXPECT_EQ(!join.joined.empty(), ok != 0) << join.dir.size();
        EXPECT_EQ(join.joined, out.buf) << join.dir.size();
        EXPECT_TRUE(out.Intact()) << join.dir.size();
    }
    struct Parent {
        std::string path, parent;  // "": FALSE
    } parents[] = {
        {"C:\\a\\b.txt", "C:\\a"}, {"C:\\b.txt", "C:\\"}, {"C:\\a\\", ""}, {"\\\\server\\share\\file", "\\\\server\\share"},
        {"C:\\" + JOU + "\\x", "C:\\" + JOU}, {Path(255) + "\\f.x", Path(255)}, {Path(260) + "\\f.x", ""},
        {Path(4000) + "\\f.x", ""},
    };
    for (const Parent &parent : parents) {
        Guarded out;
        BOOL ok = ParentDirOf(parent.path.c_str(), out.buf);
        EXPECT_EQ(!parent.parent.empty(), ok != 0) << parent.path.size();
        if (ok) {
            EXPECT_EQ(parent.parent, out.buf);
        }
        EXPECT_LT(strlen(out.buf), (size_t)MAX_PATH);
        EXPECT_TRUE(out.Intact()) << parent.path.size();
    }
    EXPECT_EQ((UINT)DRIVE_REMOTE, DriveTypeOfPath("\\\\server\\share\\x"));
    EXPECT_EQ((UINT)DRIVE_REMOTE, DriveTypeOfPath("N:\\setup\\folder"));  // the prefix's network drive
    EXPECT_EQ((UINT)DRIVE_FIXED, DriveTypeOfPath(Path(4000).c_str()));
}

// Where the system cannot replace a file in one step, the old one is renamed aside first.
TEST(FileCopy, ReplaceByRenaming)
{
    MakeFolders("C:\\qwilltest\\copy");
    WriteBytes("C:\\qwilltest\\copy\\qwill.exe", "old");
    WriteBytes("C:\\qwilltest\\copy\\qwill.ex~", "new");
    EXPECT_TRUE(ReplaceByRenaming("C:\\qwilltest\\copy\\qwill.ex~", "C:\\qwilltest\\copy\\qwill.exe"));
    EXPECT_FALSE(ReplaceByRenaming("C:\\qwilltest\\copy\\qwill.ex~", "C:\\qwilltest\\copy\\qwill.exe"));
    EXPECT_EQ("new", ReadBytes("C:\\qwilltest\\copy\\qwill.exe"));  // and no copy aside
    EXPECT_EQ(std::vector<std::string>{"qwill.exe"}, FileNames("C:\\qwilltest\\copy"));
}

// Windows' list of renames at restart ('|' ends each string here): the pairs that put one of
// the staged copies in place of the file are found and replaced, in any letter case; every
// other pair (another file's, a delete, a string without its partner) passes through.
TEST(RestartList, PairsOfOneFile)
{
    auto list = [](std::string text) {
        std::wstring wide(text.begin(), text.end());
        for (wchar_t &c : wide)
            c = c == '|' ? 0 : c;
        return wide;
    };
    const char *staged[] = {"C:\\Q\\qwill.ex1", "C:\\Q\\qwill.ex2", "C:\\Q\\qwill.ex~"};
    const std::string one = "\\??\\C:\\Q\\qwill.ex1|!\\??\\C:\\Q\\qwill.exe|", two = "\\??\\C:\\Q\\qwill.ex2|!\\??\\C:\\Q\\qwill.exe|";
    const std::string other = "\\??\\C:\\Q\\a.ex1|!\\??\\C:\\Q\\a.exe|\\??\\C:\\Q\\old.dll||";
    struct Row {
        std::string before;
        int listed;
        const char *from;  // the pair added, or none
        std::string after;
    } rows[] = {
        {"", 0, "C:\\Q\\qwill.ex1", one},
        {one, 1, "C:\\Q\\qwill.ex2", two},
        {other + two + other, 2, NULL, other + other},
        {"\\??\\c:\\q\\QWILL.EX~|!\\??\\C:\\Q\\qwill.exe|" + other, 4, "C:\\Q\\qwill.ex1", other + one},
        {"\\??\\C:\\Q\\qwill.ex1|\\??\\C:\\Q\\qwill.exe|", 1, NULL, ""},  // not replacing: still the file's
        {"\\??\\C:\\Q\\qwill.ex1|", 0, NULL, "\\??\\C:\\Q\\qwill.ex1|"},
        {one + "||" + two, 1, NULL, ""},  // the list ends at an empty string
    };
    for (const Row &row : rows) {
        std::wstring before = list(row.before);
        TRestartList restart(before.data(), (DWORD)before.size());
        EXPECT_EQ(row.listed, restart.Listed("C:\\Q\\qwill.exe", staged, 3)) << row.before;
        ASSERT_TRUE(restart.Replace("C:\\Q\\qwill.exe", staged, 3, row.from));
        EXPECT_TRUE(list(row.after) == std::wstring(restart.Text() ? restart.Text() : L"", restart.Chars())) << row.before;
    }
}

// The log is written only where it was asked for: the path Windows gives for the opened file
// against the one asked, in any letter case, a mapped drive by its share.
TEST(Log, OpenedWhereAsked)
{
    struct Row {
        const char *asked, *final;
        BOOL remote, same;
    } rows[] = {
        {"C:\\Logs\\q.log", "\\\\?\\C:\\Logs\\q.log", FALSE, TRUE},
        {"c:\\logs\\Q.LOG", "\\\\?\\C:\\Logs\\q.log", FALSE, TRUE},
        {"C:\\Users\\Public\\x\\q.log", "\\\\?\\C:\\Windows\\System32\\q.log", FALSE, FALSE},  // a junction x
        {"C:\\Logs\\q.log", "\\\\?\\C:\\Other\\Logs\\q.log", FALSE, FALSE},  // the same names elsewhere
        {"C:\\Logs\\q.log", "\\\\?\\UNC\\server\\share\\Logs\\q.log", FALSE, FALSE},
        {"N:\\Logs\\q.log", "\\\\?\\UNC\\server\\share\\Logs\\q.log", TRUE, TRUE},
        {"N:\\Logs\\q.log", "\\\\?\\UNC\\server\\share\\x\\Logs\\q.log", TRUE, TRUE},
        {"N:\\Logs\\q.log", "\\\\?\\C:\\Logs\\q.log", TRUE, FALSE},
        {"N:\\Logs\\q.log", "\\\\?\\UNC\\server\\shareLogs\\q.log", TRUE, FALSE},
        {"\\\\server\\share\\q.log", "\\\\?\\UNC\\server\\share\\q.log", TRUE, TRUE},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.same, FinalPathIsAsked(row.asked, row.final, row.remote)) << row.asked << " " << row.final;
}

}  // namespace
