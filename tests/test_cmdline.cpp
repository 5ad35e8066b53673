// Command line: the uninstall switch and the port.
#include "installcfg.h"

#include <gtest/gtest.h>
#include <string>

namespace {

InstallCfg Parse(const char *line)
{
    InstallCfg cfg;
    InitInstallCfg(&cfg);
    std::string copy = line;
    ParseCommandLine(&copy[0], &cfg);
    return cfg;
}

TEST(CommandLine, DefaultsWithoutArguments)
{
    for (const char *line : {"", "   ", "\t\n"}) {
        InstallCfg cfg = Parse(line);
        EXPECT_EQ(SETUP_MODE_INSTALL, cfg.mode);
        EXPECT_EQ(DEFAULT_PORT, cfg.port);
        EXPECT_EQ(1, cfg.startupLink);
        EXPECT_EQ(1, cfg.programsLink);
        EXPECT_EQ(1, cfg.desktopLink);
        EXPECT_EQ(1, cfg.delPubKey);
    }
    InstallCfg cfg;
    InitInstallCfg(&cfg);
    ParseCommandLine(NULL, &cfg);
    EXPECT_EQ(SETUP_MODE_INSTALL, cfg.mode);
    EXPECT_EQ(DEFAULT_PORT, cfg.port);
}

TEST(CommandLine, UninstallSwitchIsExactAndCaseSensitive)
{
    EXPECT_EQ(SETUP_MODE_UNINSTALL, Parse("/r").mode);
    for (const char *line : {"/R", "-r", "/rr", "x/r", "\"/r\""})
        EXPECT_EQ(SETUP_MODE_INSTALL, Parse(line).mode) << line;
}

TEST(CommandLine, PortTokens)
{
    EXPECT_EQ(999, Parse("999").port);
    EXPECT_EQ(2425, Parse("2425").port);
    EXPECT_EQ(999, Parse("999x").port);
    EXPECT_EQ(999, Parse("999\r").port);  // carriage return is no separator, the digits stop there
    EXPECT_EQ(7, Parse("5 7").port);      // the later token wins
    for (const char *line : {"0", "abc", "-5", "+5", "000", "99999999999", "2147483648"})
        EXPECT_EQ(DEFAULT_PORT, Parse(line).port) << line;
    EXPECT_EQ(2147483647, Parse("2147483647").port);
}

TEST(CommandLine, MixedTokensAndSeparators)
{
    for (const char *line : {"/r 999", "999 /r", "  /r\t999\n", "999\n\n/r"}) {
        InstallCfg cfg = Parse(line);
        EXPECT_EQ(SETUP_MODE_UNINSTALL, cfg.mode) << line;
        EXPECT_EQ(999, cfg.port) << line;
    }
    EXPECT_EQ(SETUP_MODE_INSTALL, Parse("/r\r").mode);
}

TEST(CommandLine, VeryLongLines)
{
    std::string line;
    for (int i = 0; i < 10000; i++)
        line += (i % 3 == 0) ? "/r " : (i % 3 == 1) ? "12345 " : "garbage ";
    line += std::string(100000, '9');  // one token far beyond any number
    InstallCfg cfg = Parse(line.c_str());
    EXPECT_EQ(SETUP_MODE_UNINSTALL, cfg.mode);
    EXPECT_EQ(12345, cfg.port);
}

struct Parsed {
    InstallCfg cfg;
    SetupSwitches switches;
};

Parsed Switches(const std::string &line)
{
    Parsed p;
    InitInstallCfg(&p.cfg);
    ParseSetupSwitches(line.c_str(), &p.cfg, &p.switches);
    return p;
}

TEST(SetupSwitches, UnattendedAndItsOptions)
{
    Parsed none = Switches("");
    EXPECT_FALSE(none.switches.silent);
    EXPECT_FALSE(none.switches.folderGiven);
    EXPECT_STREQ("", none.switches.logFile);

    Parsed all = Switches("999 /r /s /inplace /log=C:\\x.log /d=C:\\My Apps\\Qwill  ");
    EXPECT_TRUE(all.switches.silent);
    EXPECT_TRUE(all.switches.inPlace);
    EXPECT_EQ(SETUP_MODE_UNINSTALL, all.cfg.mode);
    EXPECT_EQ(999, all.cfg.port);
    EXPECT_STREQ("C:\\x.log", all.switches.logFile);
    EXPECT_STREQ("C:\\My Apps\\Qwill", all.switches.folder);

    for (const char *line : {"/S", "x/s", "/ss", "-s", "/d", "/D=C:\\x", "\"/s\""}) {
        Parsed p = Switches(line);
        EXPECT_FALSE(p.switches.silent) << line;
        EXPECT_FALSE(p.switches.folderGiven) << line;
    }
}

// Quotes: a quoted value ends at its quote and what follows counts; nothing inside quotes is
// a switch or a port; a whole token in quotes is the switch; an unquoted folder takes the rest.
TEST(SetupSwitches, QuotedValues)
{
    struct Row {
        const char *line;
        bool silent;
        const char *folder;  // NULL: no "/d="
        const char *log;
        int mode, port;
    } rows[] = {
        {"/log=\"C:\\Logs 2024\\q.log\"", false, NULL, "C:\\Logs 2024\\q.log", 0, 2425},
        {"/log=\"C:\\x /r 7\\q.log\" /s", true, NULL, "C:\\x /r 7\\q.log", 0, 2425},
        {"/d=\"C:\\My Apps\\Qwill\" /s /log=C:\\q.log 99", true, "C:\\My Apps\\Qwill", "C:\\q.log", 0, 99},
        {"/s \"/d=C:\\My Apps\\Qwill\"", true, "C:\\My Apps\\Qwill", "", 0, 2425},
        {"\"/log=C:\\My Logs\\q.log\" /r /s", true, NULL, "C:\\My Logs\\q.log", 2, 2425},
        {"/s /d=C:\\My Apps\\Qwill /r 5", true, "C:\\My Apps\\Qwill /r 5", "", 0, 2425},
        {"\"/r\" \"2426\" /d=\"C:\\open", false, "C:\\open", "", 0, 2425},
    };
    for (const Row &row : rows) {
        Parsed p = Switches(row.line);
        EXPECT_EQ(row.silent, p.switches.silent != 0) << row.line;
        EXPECT_EQ(row.folder != NULL, p.switches.folderGiven != 0) << row.line;
        EXPECT_STREQ(row.folder ? row.folder : "", p.switches.folder) << row.line;
        EXPECT_STREQ(row.log, p.switches.logFile) << row.line;
        EXPECT_EQ(row.mode, p.cfg.mode) << row.line;
        EXPECT_EQ(row.port, p.cfg.port) << row.line;
        // the dialog reads the same line for "/r" and the port
        EXPECT_EQ(row.mode, Parse(row.line).mode) << row.line;
        EXPECT_EQ(row.port, Parse(row.line).port) << row.line;
    }
}

TEST(SetupSwitches, ValuesTooLongForAPath)
{
    for (size_t len : {259u, 260u, 261u, 4000u}) {
        std::string folder = "C:\\" + std::string(len - 3, 'f');
        Parsed p = Switches("/s /log=" + folder + " /d=" + folder);
        EXPECT_TRUE(p.switches.folderGiven) << len;
        EXPECT_EQ(len < 260 ? folder : std::string(), p.switches.folder) << len;
        EXPECT_EQ(len < 260 ? folder : std::string(), p.switches.logFile) << len;
    }
}

}  // namespace
