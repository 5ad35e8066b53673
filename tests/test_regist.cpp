// Registry key stack on the real registry of the test prefix, under a scratch key of HKCU.
#include "guarded.h"
#include "tregist.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const char SCRATCH[] = "Software\\QwillTest\\regist";

class Regist : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, SCRATCH);
        ASSERT_TRUE(reg.OpenKey(SCRATCH, TRUE));
    }
    void TearDown() override
    {
        reg.SetTopKey(HKEY_CURRENT_USER);
        RegDeleteTreeA(HKEY_CURRENT_USER, SCRATCH);
        RegDeleteTreeA(HKEY_CURRENT_USER, "software\\QwillTestMaker");
    }
    static bool KeyExists(const std::string &path)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    static void SetRaw(const char *name, DWORD type, const void *data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, SCRATCH, 0, KEY_ALL_ACCESS, &key));
        RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
        RegCloseKey(key);
    }
    TRegist reg{HKEY_CURRENT_USER};
};

TEST_F(Regist, StackHoldsThirtyKeys)
{
    for (int i = 1; i < REGIST_MAX_KEYS; i++)
        ASSERT_TRUE(reg.OpenKey("k", TRUE)) << i;
    EXPECT_EQ(30, reg.OpenKeyCount());
    EXPECT_EQ(FALSE, reg.OpenKey("k", TRUE));
    EXPECT_EQ(30, reg.OpenKeyCount());
    EXPECT_EQ(TRUE, reg.SetString("depth", "30"));  // still on the 30th key

    std::string path = SCRATCH;
    for (int i = 1; i < REGIST_MAX_KEYS; i++)
        path += "\\k";
    EXPECT_TRUE(KeyExists(path));
    EXPECT_FALSE(KeyExists(path + "\\k"));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key));
    char value[8] = "";
    DWORD size = sizeof(value);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "depth", NULL, NULL, (BYTE *)value, &size));
    EXPECT_STREQ("30", value);
    RegCloseKey(key);
}

TEST_F(Regist, NothingHappensWithoutAnOpenKey)
{
    TRegist none(HKEY_CURRENT_USER);
    char buf[MAX_PATH];
    EXPECT_EQ(FALSE, none.CloseKey());
    EXPECT_EQ(FALSE, none.GetString("x", buf, sizeof(buf)));
    EXPECT_EQ(FALSE, none.SetString("QwillTestValue", "x"));
    EXPECT_EQ(FALSE, none.DeleteKey("Software"));
    EXPECT_EQ(FALSE, none.DeleteValue("x"));
    EXPECT_EQ(FALSE, none.EnumKey(0, buf, sizeof(buf)));
    EXPECT_EQ(FALSE, none.EnumValue(0, buf, sizeof(buf)));
    EXPECT_NE(ERROR_SUCCESS, RegQueryValueExA(HKEY_CURRENT_USER, "QwillTestValue", NULL, NULL, NULL, NULL));
    EXPECT_TRUE(KeyExists("Software"));
}

TEST_F(Regist, StringsRoundTripAndEnumerate)
{
    EXPECT_EQ(TRUE, reg.SetString("name", "值"));
    EXPECT_EQ(TRUE, reg.SetString(NULL, "default"));
    char buf[MAX_PATH];
    EXPECT_EQ(TRUE, reg.GetString("name", buf, sizeof(buf)));
    EXPECT_STREQ("值", buf);
    EXPECT_EQ(TRUE, reg.GetString(NULL, buf, sizeof(buf)));
    EXPECT_STREQ("default", buf);

    EXPECT_EQ(TRUE, reg.SetString("empty", ""));
    DWORD type = 0, size = 99;
    HKEY key;
    RegOpenKeyExA(HKEY_CURRENT_USER, SCRATCH, 0, KEY_READ, &key);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "empty", NULL, &type, NULL, &size));
    RegCloseKey(key);
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(1u, size);

    DWORD valueType = 0;
    int names = 0;
    for (int i = 0; reg.EnumValue(i, buf, sizeof(buf), &valueType); i++) {
        names++;
        EXPECT_EQ((DWORD)REG_SZ, valueType);
    }
    EXPECT_EQ(3, names);
    EXPECT_EQ(TRUE, reg.DeleteValue("name"));
    EXPECT_EQ(FALSE, reg.DeleteValue("name"));
    EXPECT_EQ(FALSE, reg.GetString("name", buf, sizeof(buf)));
}

TEST_F(Regist, GetStringFallsBackToASubkeysDefaultValue)
{
    ASSERT_TRUE(reg.OpenKey("sub", TRUE));
    reg.SetString(NULL, "from the subkey");
    reg.CloseKey();
    char buf[MAX_PATH];
    EXPECT_EQ(TRUE, reg.GetString("sub", buf, sizeof(buf)));
    EXPECT_STREQ("from the subkey", buf);
    EXPECT_EQ(FALSE, reg.GetString("nothing", buf, sizeof(buf)));
}

TEST_F(Regist, GetStringOfOtherTypesAndSizes)
{
    DWORD dword = 0x01020304;
    SetRaw("dword", REG_DWORD, &dword, sizeof(dword));
    char buf[MAX_PATH];
    EXPECT_EQ(TRUE, reg.GetString("dword", buf, sizeof(buf)));
    EXPECT_EQ(0, memcmp(buf, &dword, 4));

    SetRaw("raw", REG_BINARY, "abc", 3);  // no terminator stored
    memset(buf, 'z', sizeof(buf));
    EXPECT_EQ(TRUE, reg.GetString("raw", buf, sizeof(buf)));
    EXPECT_STREQ("abc", buf);
    char three[3];
    EXPECT_EQ(FALSE, reg.GetString("raw", three, sizeof(three)));

    reg.SetString("six", "abcdef");
    char four[4];
    EXPECT_EQ(FALSE, reg.GetString("six", four, sizeof(four)));
    char seven[7];
    EXPECT_EQ(TRUE, reg.GetString("six", seven, sizeof(seven)));
    EXPECT_STREQ("abcdef", seven);
}

TEST_F(Regist, PathLengthValuesIntoAPathBuffer)
{
    for (size_t len : {258u, 259u, 260u, 261u, 4000u}) {
        std::string value = "C:\\" + std::string(len - 3, 'v');
        reg.SetString("path", value.c_str());
        GuardedPath out;
        BOOL ok = reg.GetString("path", out.buf, MAX_PATH);
        EXPECT_EQ(len < MAX_PATH, ok != 0) << len;
        if (ok) {
            EXPECT_EQ(value, out.buf);
        }
        EXPECT_TRUE(out.Intact()) << len;
        EXPECT_TRUE(memchr(out.buf, 0, MAX_PATH)) << len;
    }
}

TEST_F(Regist, DeleteTreeRemovesThreeLevels)
{
    ASSERT_TRUE(reg.OpenKey("tree\\a\\b", TRUE));
    reg.SetString("v3", "3");
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("tree\\a", FALSE));
    reg.SetString("v2", "2");
    reg.OpenKey("c", TRUE);
    reg.CloseKey();
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("tree", FALSE));
    reg.SetString("v1", "1");
    reg.CloseKey();

    EXPECT_EQ(1, reg.OpenKeyCount());
    EXPECT_EQ(TRUE, reg.DeleteTree("tree"));
    EXPECT_EQ(1, reg.OpenKeyCount());
    EXPECT_FALSE(KeyExists(std::string(SCRATCH) + "\\tree"));
    EXPECT_EQ(FALSE, reg.DeleteTree("tree"));
}

TEST_F(Regist, DeleteTreeWithoutANameEmptiesTheCurrentKey)
{
    reg.SetString("a", "1");
    reg.SetString("b", "2");
    reg.OpenKey("child\\grand", TRUE);
    reg.CloseKey();
    EXPECT_EQ(TRUE, reg.DeleteTree());
    EXPECT_TRUE(KeyExists(SCRATCH));
    char buf[100];
    EXPECT_EQ(FALSE, reg.EnumKey(0, buf, sizeof(buf)));
    EXPECT_EQ(FALSE, reg.EnumValue(0, buf, sizeof(buf)));
}

TEST_F(Regist, DeleteTreeStopsAtANameTooLongToEnumerate)
{
    std::string longName(120, 'n');
    ASSERT_TRUE(reg.OpenKey(("tree\\" + longName).c_str(), TRUE));
    reg.CloseKey();
    EXPECT_EQ(FALSE, reg.DeleteTree("tree"));  // the delete of "tree" fails: it has a subkey
    EXPECT_TRUE(KeyExists(std::string(SCRATCH) + "\\tree\\" + longName));
    EXPECT_EQ(1, reg.OpenKeyCount());
}

TEST_F(Regist, DeleteTreeDeeperThanTheStack)
{
    std::string path = "deep";
    for (int i = 0; i < 39; i++)
        path += "\\d";
    ASSERT_TRUE(reg.OpenKey(path.c_str(), TRUE));
    reg.CloseKey();
    EXPECT_EQ(FALSE, reg.DeleteTree("deep"));
    EXPECT_EQ(1, reg.OpenKeyCount());
    EXPECT_TRUE(KeyExists(std::string(SCRATCH) + "\\deep"));
}

TEST_F(Regist, OpenAppKeyCreatesTheMakerKey)
{
    EXPECT_EQ(TRUE, reg.OpenAppKey("QwillTestMaker", NULL));
    EXPECT_EQ(1, reg.OpenKeyCount());
    EXPECT_TRUE(KeyExists("software\\QwillTestMaker"));
    EXPECT_EQ(TRUE, reg.OpenAppKey("QwillTestMaker", ""));
    EXPECT_EQ(1, reg.OpenKeyCount());
    EXPECT_FALSE(KeyExists("software\\QwillTestMaker\\App"));
    EXPECT_EQ(TRUE, reg.OpenAppKey("QwillTestMaker", "App"));
    EXPECT_TRUE(KeyExists("software\\QwillTestMaker\\App"));

    // "software\" + maker + "\" + app must fit in 100 bytes with its terminator
    std::string app90(90 - 15, 'a');  // 9 + 14 + 1 + 75 = 99
    EXPECT_EQ(TRUE, reg.OpenAppKey("QwillTestMaker", app90.c_str()));
    std::string app91(91 - 15, 'a');
    EXPECT_EQ(FALSE, reg.OpenAppKey("QwillTestMaker", app91.c_str()));
    EXPECT_EQ(0, reg.OpenKeyCount());
    EXPECT_FALSE(KeyExists("software\\QwillTestMaker\\" + app91));
    EXPECT_EQ(FALSE, reg.OpenAppKey(std::string(200, 'm').c_str(), NULL));
}

TEST_F(Regist, SetTopKeyClosesEverything)
{
    reg.OpenKey("x", TRUE);
    EXPECT_EQ(2, reg.OpenKeyCount());
    reg.SetTopKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(0, reg.OpenKeyCount());
    EXPECT_EQ(TRUE, reg.OpenKey("Software", FALSE));
}

}  // namespace
