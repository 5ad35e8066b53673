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

}  // namespace
