// Path functions: GBK-safe joining, parent folders, drive types, bounded outputs.
#include "guarded.h"
#include "paths.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// 乗 in GBK: its trail byte is the backslash code.
const char JOU[] = "\x81\x5C";

std::string Join(const std::string &dir, const char *name)
{
    GuardedPath out;
    BOOL ok = JoinPath(out.buf, dir.c_str(), name);
    EXPECT_TRUE(out.Intact());
    return ok ? std::string(out.buf) : std::string("<fail:") + out.buf + ">";
}

TEST(Paths, TheCodePageIsGbk)
{
    ASSERT_EQ(936u, GetACP());
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
}

TEST(JoinPath, SeparatorRules)
{
    EXPECT_EQ("C:\\Program Files\\qwill.exe", Join("C:\\Program Files", "qwill.exe"));
    EXPECT_EQ("C:\\qwill.exe", Join("C:\\", "qwill.exe"));
    EXPECT_EQ("qwill.exe", Join("", "qwill.exe"));
    EXPECT_EQ("\\qwill.exe", Join("\\", "qwill.exe"));
    EXPECT_EQ("a\\b", Join("a", "b"));
}

TEST(JoinPath, GbkTrailByteIsNoSeparator)
{
    std::string dir = std::string("C:\\") + JOU;
    EXPECT_EQ(dir + "\\qwill.exe", Join(dir, "qwill.exe"));
    EXPECT_EQ(dir + "\\qwill.exe", Join(dir + "\\", "qwill.exe"));
    EXPECT_EQ(std::string(JOU) + "\\x", Join(JOU, "x"));
    // two double-byte characters in a row, the second ending in 0x5C
    std::string twice = std::string("D:\\") + "\xB0\xA1" + JOU;
    EXPECT_EQ(twice + "\\x", Join(twice, "x"));
    // a single-byte character before a real separator
    EXPECT_EQ(std::string(JOU) + "a\\x", Join(std::string(JOU) + "a\\", "x"));
}

TEST(JoinPath, ResultsThatDoNotFitFail)
{
    for (size_t len : {250u, 255u, 256u, 257u, 258u, 259u, 260u, 261u, 4000u}) {
        std::string dir = "C:\\" + std::string(len - 3, 'd');
        GuardedPath out;
        BOOL ok = JoinPath(out.buf, dir.c_str(), "ab");  // needs len + 3 + 1 bytes
        EXPECT_EQ(len + 4 <= MAX_PATH, ok != 0) << len;
        if (ok) {
            EXPECT_EQ(dir + "\\ab", out.buf);
        } else {
            EXPECT_STREQ("", out.buf) << len;
        }
        EXPECT_TRUE(out.Intact()) << len;
    }
    GuardedPath out;
    EXPECT_FALSE(JoinPath(out.buf, "", std::string(MAX_PATH, 'n').c_str()));
    EXPECT_TRUE(out.Intact());
}

std::string Parent(const std::string &path, BOOL expect)
{
    GuardedPath out;
    BOOL ok = ParentDirOf(path.c_str(), out.buf);
    EXPECT_EQ(expect, ok) << path;
    EXPECT_TRUE(out.Intact()) << path;
    return out.buf;
}

TEST(ParentDirOf, DrivesUncAndRoots)
{
    EXPECT_EQ("C:\\a", Parent("C:\\a\\b.txt", TRUE));
    EXPECT_EQ("C:\\", Parent("C:\\b.txt", TRUE));
    EXPECT_EQ("C:\\a\\", Parent("C:\\a\\", FALSE));
    EXPECT_EQ("C:\\", Parent("C:\\", FALSE));
    EXPECT_EQ("\\\\server\\share", Parent("\\\\server\\share\\file", TRUE));
    EXPECT_EQ("C:\\a", Parent("C:\\a\\b\\..\\c", TRUE));
    std::string gbk = std::string("C:\\") + JOU;
    EXPECT_EQ(gbk, Parent(gbk + "\\x", TRUE));
}

TEST(ParentDirOf, RelativePathsUseTheCurrentFolder)
{
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof(saved), saved);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
    EXPECT_EQ("C:\\windows", Parent("notepad.exe", TRUE));
    EXPECT_EQ("C:\\windows\\system32", Parent("system32\\x.dll", TRUE));
    SetCurrentDirectoryA(saved);
}

TEST(ParentDirOf, SameBufferAndLongInputs)
{
    char same[MAX_PATH] = "C:\\one\\two\\three";
    EXPECT_TRUE(ParentDirOf(same, same));
    EXPECT_STREQ("C:\\one\\two", same);
    EXPECT_TRUE(ParentDirOf(same, same));
    EXPECT_STREQ("C:\\one", same);

    for (size_t len : {258u, 259u, 260u, 261u, 264u, 265u, 4000u}) {
        std::string path = "C:\\" + std::string(len - 7, 'p') + "\\f.x";  // len bytes
        std::string parent = path.substr(0, len - 4);
        GuardedPath out;
        BOOL ok = ParentDirOf(path.c_str(), out.buf);
        EXPECT_TRUE(out.Intact()) << len;
        EXPECT_LT(strlen(out.buf), (size_t)MAX_PATH) << len;
        if (len < MAX_PATH) {
            EXPECT_TRUE(ok) << len;
        }
        if (parent.size() >= MAX_PATH) {
            EXPECT_FALSE(ok) << len;
        }
        if (ok) {
            EXPECT_EQ(parent, out.buf) << len;
        }
    }
}

TEST(DriveTypeOfPath, LocalRemoteAndUnc)
{
    EXPECT_EQ((UINT)DRIVE_REMOTE, DriveTypeOfPath("\\\\server\\share\\x"));
    EXPECT_EQ((UINT)DRIVE_REMOTE, DriveTypeOfPath("\\\\"));
    EXPECT_EQ(GetDriveTypeA("C:\\"), DriveTypeOfPath("C:\\Program Files\\Qwill"));
    EXPECT_EQ((UINT)DRIVE_FIXED, DriveTypeOfPath("C:\\Program Files\\Qwill"));
    EXPECT_EQ(GetDriveTypeA(NULL), DriveTypeOfPath(NULL));
    // the prefix maps N: as a network drive
    EXPECT_EQ((UINT)DRIVE_REMOTE, DriveTypeOfPath("N:\\setup\\folder"));
    std::string longPath = "C:\\" + std::string(4000, 'l');
    EXPECT_EQ((UINT)DRIVE_FIXED, DriveTypeOfPath(longPath.c_str()));
}

TEST(StrNCaseCmp, PrefixCaseAndSignedBytes)
{
    EXPECT_EQ(0, StrNCaseCmp("qwill_class", "QWILL_CLASS_MAIN", 11));
    EXPECT_NE(0, StrNCaseCmp("qwill_class", "QWILL_CLAS", 11));
    EXPECT_NE(0, StrNCaseCmp("abc", "abd", 3));
    EXPECT_EQ(-1, StrNCaseCmp("abc", "abd", 3));
    EXPECT_EQ(1, StrNCaseCmp("abd", "ABC", 3));
    EXPECT_EQ(0, StrNCaseCmp("abc", "abd", 2));
    EXPECT_EQ(0, StrNCaseCmp("same", "SAME", 100));
    EXPECT_EQ(0, StrNCaseCmp("x", "y", 0));
    // bytes from 0x80 compare as negative values: below every ASCII letter
    EXPECT_EQ(-1, StrNCaseCmp("\xB0\xA1", "A", 1));
    EXPECT_EQ(1, StrNCaseCmp("A", "\xB0\xA1", 1));
}

}  // namespace
