// Shortcut files: round trip, purging the messenger's links, deleting with notification.
#include "guarded.h"
#include "scratch.h"
#include "shortcut.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

namespace {

const std::string ROOT = "C:\\qwilltest\\links";
const std::string TARGET_DIR = ROOT + "\\Program Files\\Qwill";
const std::string TARGET = TARGET_DIR + "\\qwill.exe";
const std::string LINKS = ROOT + "\\Startup";

class Shortcuts : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(NULL); }
    void SetUp() override
    {
        RemoveTree(ROOT);
        ASSERT_TRUE(MakeFolders(TARGET_DIR));
        ASSERT_TRUE(MakeFolders(LINKS));
        WriteBytes(TARGET, "MZ");
        WriteBytes(TARGET_DIR + "\\myqwill.exe", "MZ");
        WriteBytes(TARGET_DIR + "\\other.exe", "MZ");
    }
    void TearDown() override { RemoveTree(ROOT); }

    std::string Link(const char *name) { return LINKS + "\\" + name; }
    // Copies a file to a path longer than MAX_PATH, which only the wide API reaches.
    static bool CopyToLongPath(const std::string &from, const std::string &to)
    {
        WCHAR wideTo[1024] = L"\\\\?\\";
        MultiByteToWideChar(CP_ACP, 0, to.c_str(), -1, wideTo + 4, 1000);
        WCHAR wideFrom[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, from.c_str(), -1, wideFrom, MAX_PATH);
        return CopyFileW(wideFrom, wideTo, FALSE);
    }
};

TEST_F(Shortcuts, RoundTrip)
{
    ASSERT_TRUE(CreateShortcut(TARGET.c_str(), Link("Qwill.lnk").c_str(), "-x y"));
    EXPECT_TRUE(FileExists(Link("Qwill.lnk")));
    char target[MAX_PATH], args[MAX_PATH];
    ASSERT_TRUE(ReadShortcut(Link("Qwill.lnk").c_str(), target, args));
    char longForm[MAX_PATH] = "";
    GetLongPathNameA(target, longForm, sizeof(longForm));
    EXPECT_STRCASEEQ(TARGET.c_str(), longForm) << target;
    EXPECT_STREQ("-x y", args);

    // the working folder is the target's folder
    IShellLinkA *link;
    IPersistFile *file;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link));
    link->QueryInterface(IID_IPersistFile, (void **)&file);
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, Link("Qwill.lnk").c_str(), -1, wide, MAX_PATH);
    ASSERT_EQ(S_OK, file->Load(wide, STGM_READ));
    char dir[MAX_PATH] = "";
    link->GetWorkingDirectory(dir, sizeof(dir));
    EXPECT_STRCASEEQ(TARGET_DIR.c_str(), dir);
    file->Release();
    link->Release();
}

TEST_F(Shortcuts, ReadingSomethingThatIsNoShortcutFails)
{
    WriteBytes(Link("text.lnk"), "not a link");
    char target[MAX_PATH], args[MAX_PATH];
    EXPECT_FALSE(ReadShortcut(Link("text.lnk").c_str(), target, args));
    EXPECT_FALSE(ReadShortcut(Link("missing.lnk").c_str(), target, args));
    EXPECT_FALSE(CreateShortcut(TARGET.c_str(), (ROOT + "\\no\\such\\folder\\x.lnk").c_str(), ""));
}

TEST_F(Shortcuts, PurgeDeletesEveryMessengerLinkWithoutArguments)
{
    CreateShortcut(TARGET.c_str(), Link("a.lnk").c_str(), "");
    CreateShortcut(TARGET.c_str(), Link("b.lnk").c_str(), "");
    CreateShortcut((TARGET_DIR + "\\myqwill.exe").c_str(), Link("c.lnk").c_str(), "");
    CreateShortcut(TARGET.c_str(), Link("args.lnk").c_str(), "/min");
    CreateShortcut((TARGET_DIR + "\\other.exe").c_str(), Link("other.lnk").c_str(), "");
    WriteBytes(Link("notes.txt"), "qwill.exe");

    GuardedPath found;
    strcpy(found.buf, "unchanged");
    EXPECT_TRUE(PurgeProgramLinks(LINKS.c_str(), found.buf));
    EXPECT_TRUE(found.Intact());
    EXPECT_FALSE(FileExists(Link("a.lnk")));
    EXPECT_FALSE(FileExists(Link("b.lnk")));
    EXPECT_FALSE(FileExists(Link("c.lnk")));
    EXPECT_TRUE(FileExists(Link("args.lnk")));
    EXPECT_TRUE(FileExists(Link("other.lnk")));
    EXPECT_TRUE(FileExists(Link("notes.txt")));
    std::string last = found.buf;
    EXPECT_TRUE(last == Link("a.lnk") || last == Link("b.lnk") || last == Link("c.lnk")) << last;
}

TEST_F(Shortcuts, PurgeIntoTheFolderBufferItself)
{
    CreateShortcut(TARGET.c_str(), Link("a.lnk").c_str(), "");
    CreateShortcut(TARGET.c_str(), Link("b.lnk").c_str(), "");
    char buf[MAX_PATH];
    strcpy(buf, LINKS.c_str());
    EXPECT_TRUE(PurgeProgramLinks(buf, buf));
    EXPECT_FALSE(FileExists(Link("a.lnk")));
    EXPECT_FALSE(FileExists(Link("b.lnk")));
    EXPECT_TRUE(std::string(buf) == Link("a.lnk") || std::string(buf) == Link("b.lnk")) << buf;
}

TEST_F(Shortcuts, PurgeWithNothingToDo)
{
    CreateShortcut(TARGET.c_str(), Link("args.lnk").c_str(), "x");
    char found[MAX_PATH] = "unchanged";
    EXPECT_FALSE(PurgeProgramLinks(LINKS.c_str(), found));
    EXPECT_STREQ("unchanged", found);
    EXPECT_FALSE(PurgeProgramLinks((ROOT + "\\missing").c_str(), found));
    EXPECT_FALSE(PurgeProgramLinks(LINKS.c_str(), NULL));
    EXPECT_STREQ("unchanged", found);
}

TEST_F(Shortcuts, PurgeSkipsPathsThatDoNotFit)
{
    // a folder name so long that folder + "\" + entry name exceeds MAX_PATH for long names
    std::string deep = ROOT + "\\" + std::string(200, 'd');
    ASSERT_TRUE(MakeFolders(deep));
    std::string shortLink = deep + "\\s.lnk";
    std::string longLink = deep + "\\" + std::string(60, 'l') + ".lnk";
    CreateShortcut(TARGET.c_str(), shortLink.c_str(), "");
    ASSERT_TRUE(CopyToLongPath(shortLink, longLink));
    GuardedPath found;
    EXPECT_TRUE(PurgeProgramLinks(deep.c_str(), found.buf));
    EXPECT_TRUE(found.Intact());
    EXPECT_EQ(shortLink, found.buf);
    EXPECT_FALSE(FileExists(longLink));  // the ANSI API cannot reach it...
    WIN32_FIND_DATAA found2;
    HANDLE find = FindFirstFileA((deep + "\\*.lnk").c_str(), &found2);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);  // ...but it is still there, not purged
    EXPECT_EQ(std::string(60, 'l') + ".lnk", found2.cFileName);
    FindClose(find);

    for (size_t len : {259u, 260u, 261u, 4000u}) {
        std::string folder = "C:\\" + std::string(len - 3, 'f');
        GuardedPath out;
        EXPECT_FALSE(PurgeProgramLinks(folder.c_str(), out.buf)) << len;
        EXPECT_TRUE(out.Intact()) << len;
    }
}

TEST_F(Shortcuts, DeleteAndNotify)
{
    EXPECT_FALSE(DeleteAndNotify(Link("missing.lnk").c_str()));
    WriteBytes(Link("x.lnk"), "x");
    EXPECT_TRUE(DeleteAndNotify(Link("x.lnk").c_str()));
    EXPECT_FALSE(FileExists(Link("x.lnk")));
}

}  // namespace
