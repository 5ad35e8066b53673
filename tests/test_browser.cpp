// The folder browser driven as a user drives it: a timer inside the browser's own modal loop
// finds its windows, reads them and clicks.
#include "browsefolder.h"
#include "resource.h"
#include "scratch.h"
#include "tapp.h"
#include "testdlg.h"
#include "texts.h"
#include "winwait.h"

#include <gtest/gtest.h>
#include <functional>
#include <objbase.h>
#include <vector>

namespace {

const std::string ROOT = "C:\\qwilltest\\browse";

// Steps run one after another from a timer, each until it reports done.
struct Script {
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    DWORD deadline = 0;
    bool timedOut = false;
    int browsersSeen = 0;
};
Script *script;

BOOL CALLBACK CloseOwnWindow(HWND wnd, LPARAM)
{
    PostMessageA(wnd, WM_CLOSE, 0, 0);
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (!script)
        return;
    if (GetTickCount() > script->deadline) {
        // never hang the test: close whatever is open until the browser gives up
        script->timedOut = true;
        EnumThreadWindows(GetCurrentThreadId(), CloseOwnWindow, 0);
        return;
    }
    while (script->next < script->steps.size() && script->steps[script->next]())
        script->next++;
}

struct Found {
    const char *caption;
    HWND wnd;
};

BOOL CALLBACK FindByCaption(HWND wnd, LPARAM param)
{
    Found *found = (Found *)param;
    char caption[256] = "";
    GetWindowTextA(wnd, caption, sizeof(caption));
    if (IsWindowVisible(wnd) && strcmp(caption, found->caption) == 0) {
        found->wnd = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND OwnWindow(const char *caption)
{
    Found found = {caption, NULL};
    EnumThreadWindows(GetCurrentThreadId(), FindByCaption, (LPARAM)&found);
    return found.wnd;
}

HWND Browser() { return OwnWindow(TEXT_PRODUCT_NAME); }
HWND NameDialog() { return OwnWindow("新建目录名称"); }

class Browsing : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureAppClass();
        CoInitialize(NULL);
    }
    void SetUp() override
    {
        RemoveTree(ROOT);
        ASSERT_TRUE(MakeFolders(ROOT + "\\full\\inner"));
        MakeFolders(ROOT + "\\empty");
        WriteBytes(ROOT + "\\file.txt", "x");
        ASSERT_TRUE(owner.Create());
    }
    void TearDown() override
    {
        owner.Destroy();
        RemoveTree(ROOT);
    }

    // Runs the browser from edit 1135 holding start; returns the edit's text afterwards.
    std::string Browse(const std::string &start, std::vector<std::function<bool()>> steps)
    {
        owner.SetDlgItemText(1135, start.c_str());
        Script s;
        s.steps = steps;
        s.deadline = GetTickCount() + 20000;
        script = &s;
        UINT_PTR timer = SetTimer(NULL, 0, 50, Tick);
        BrowseFolder(&owner, 1135, TEXT_CHOOSE_INSTALL_DIR);
        KillTimer(NULL, timer);
        script = nullptr;
        EXPECT_FALSE(s.timedOut) << "stuck at step " << s.next;
        EXPECT_EQ(s.steps.size(), s.next);
        char text[MAX_PATH] = "";
        owner.GetDlgItemText(1135, text, sizeof(text));
        return text;
    }

    // Step factories.
    // Waits for a browser window other than the one in *previous (a reopened one), and lets
    // it settle as a person would before clicking.
    std::function<bool()> WaitBrowser(HWND *out, HWND *previous = nullptr)
    {
        auto seen = std::make_shared<DWORD>(0);
        return [out, previous, seen] {
            HWND b = Browser();
            if (!b || (previous && (b == *previous || IsWindow(*previous))))
                return false;
            *out = b;
            if (!*seen)
                *seen = GetTickCount();
            return GetTickCount() - *seen >= 300;
        };
    }
    std::function<bool()> Press(HWND *parent, int id)
    {
        return [parent, id] {
            PostMessageA(*parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(*parent, id));
            return true;
        };
    }
    std::function<bool()> NameFolder(const std::string &name, int button)
    {
        return [name, button] {
            HWND dlg = NameDialog();
            if (!dlg)
                return false;
            SetDlgItemTextA(dlg, IDC_NEW_FOLDER_NAME, name.c_str());
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dlg, button));
            return true;
        };
    }
    // The browser is still the same window a moment later (nothing reopened it).
    std::function<bool()> Stays(HWND *browser)
    {
        auto since = std::make_shared<DWORD>(0);
        return [browser, since] {
            if (!*since)
                *since = GetTickCount();
            if (GetTickCount() - *since < 400)
                return false;
            EXPECT_EQ(*browser, Browser());
            return true;
        };
    }

    TDlg owner{IDD_TEST_PROC};
    HWND first = NULL, second = NULL;
};

TEST_F(Browsing, TheBrowserAndItsButtons)
{
    std::string text = Browse(ROOT + "\\full", {WaitBrowser(&first), [this] {
        char caption[64] = "";
        GetWindowTextA(first, caption, sizeof(caption));
        EXPECT_STREQ("Qwill\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4\xB0\xE6", caption);
        EXPECT_TRUE(FindWindowExA(first, NULL, "Static", TEXT_CHOOSE_INSTALL_DIR));

        HWND ok = GetDlgItem(first, IDOK);
        RECT okRect;
        GetWindowRect(ok, &okRect);
        HFONT okFont = (HFONT)SendMessageA(ok, WM_GETFONT, 0, 0);
        int right = 0;
        for (int id : {IDC_BROWSE_NEW_FOLDER, IDC_BROWSE_DELETE}) {
            HWND button = GetDlgItem(first, id);
            EXPECT_TRUE(button) << id;
            char label[32] = "";
            GetWindowTextA(button, label, sizeof(label));
            EXPECT_STREQ(id == IDC_BROWSE_NEW_FOLDER ? TEXT_NEW_FOLDER : TEXT_DELETE, label);
            EXPECT_EQ(okFont, (HFONT)SendMessageA(button, WM_GETFONT, 0, 0)) << id;
            RECT r;
            GetWindowRect(button, &r);
            EXPECT_EQ(okRect.top, r.top) << id;
            EXPECT_EQ(okRect.bottom - okRect.top, r.bottom - r.top) << id;
            EXPECT_GT(r.left, right) << id;
            right = r.right;
        }
        EXPECT_LT(right, okRect.left);
        return true;
    }, Press(&first, IDOK)});
    EXPECT_EQ(ROOT + "\\full", text);
}

TEST_F(Browsing, StartsAtTheNearestFolder)
{
    EXPECT_EQ(ROOT, Browse(ROOT + "\\missing", {WaitBrowser(&first), Press(&first, IDOK)}));
    first = NULL;
    EXPECT_EQ(ROOT, Browse(ROOT + "\\file.txt", {WaitBrowser(&first), Press(&first, IDOK)}));
}

TEST_F(Browsing, NewFolderReopensTheBrowserAtIt)
{
    std::string text = Browse(ROOT, {WaitBrowser(&first), Press(&first, IDC_BROWSE_NEW_FOLDER),
                                     NameFolder("abc", IDOK), WaitBrowser(&second, &first), Press(&second, IDOK)});
    EXPECT_TRUE(FileExists(ROOT + "\\abc"));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(ROOT + "\\abc", text);
}

TEST_F(Browsing, NamesThatCreateNothing)
{
    std::string longName(300, 'n');
    std::string text = Browse(ROOT, {WaitBrowser(&first),
                                     Press(&first, IDC_BROWSE_NEW_FOLDER), NameFolder("", IDOK), Stays(&first),
                                     Press(&first, IDC_BROWSE_NEW_FOLDER), NameFolder("full", IDOK), Stays(&first),
                                     Press(&first, IDC_BROWSE_NEW_FOLDER), NameFolder("..", IDOK), Stays(&first),
                                     Press(&first, IDC_BROWSE_NEW_FOLDER), NameFolder("..\\out", IDOK), Stays(&first),
                                     Press(&first, IDC_BROWSE_NEW_FOLDER), NameFolder("a/b", IDOK), Stays(&first),
                                     Press(&first, IDC_BROWSE_NEW_FOLDER), NameFolder("x?y", IDOK), Stays(&first),
                                     Press(&first, IDC_BROWSE_NEW_FOLDER), NameFolder(longName, IDOK), Stays(&first),
                                     Press(&first, IDC_BROWSE_NEW_FOLDER), NameFolder("never", IDCANCEL), Stays(&first),
                                     Press(&first, IDCANCEL)});
    EXPECT_EQ(ROOT, text);
    EXPECT_FALSE(FileExists("C:\\qwilltest\\out"));
    EXPECT_FALSE(FileExists(ROOT + "\\a"));
    EXPECT_FALSE(FileExists(ROOT + "\\never"));
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((ROOT + "\\*").c_str(), &found);
    int entries = 0;
    do {
        entries++;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    EXPECT_EQ(5, entries);  // ".", "..", full, empty, file.txt
}

TEST_F(Browsing, DeleteAnEmptyFolder)
{
    std::string text = Browse(ROOT + "\\empty", {WaitBrowser(&first), Press(&first, IDC_BROWSE_DELETE),
                                                 WaitBrowser(&second, &first), Press(&second, IDOK)});
    EXPECT_FALSE(FileExists(ROOT + "\\empty"));
    EXPECT_EQ(ROOT, text);
}

TEST_F(Browsing, DeleteAFolderThatIsNotEmpty)
{
    std::string text = Browse(ROOT + "\\full", {WaitBrowser(&first), Press(&first, IDC_BROWSE_DELETE),
                                                Stays(&first), Press(&first, IDOK)});
    EXPECT_TRUE(FileExists(ROOT + "\\full\\inner"));
    EXPECT_EQ(ROOT + "\\full", text);
}

// With this computer selected, the folder shown before is no longer highlighted: the two
// buttons act on nothing.
TEST_F(Browsing, NoFolderSelectedNothingToCreateOrDelete)
{
    std::string text = Browse(ROOT + "\\empty", {WaitBrowser(&first), [this] {
        LPITEMIDLIST drives;
        if (FAILED(SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &drives)))
            return true;
        SendMessageA(first, BFFM_SETSELECTIONA, FALSE, (LPARAM)drives);
        CoTaskMemFree(drives);
        for (int id : {IDC_BROWSE_NEW_FOLDER, IDC_BROWSE_DELETE})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(first, id))) << id;
        return true;
    }, Press(&first, IDC_BROWSE_DELETE), Stays(&first), Press(&first, IDC_BROWSE_NEW_FOLDER), Stays(&first),
       Press(&first, IDCANCEL)});
    EXPECT_TRUE(FileExists(ROOT + "\\empty"));
    EXPECT_EQ(ROOT + "\\empty", text);
}

TEST_F(Browsing, CancelKeepsTheTextAfterChanges)
{
    HWND third = NULL;
    std::string start = ROOT + "\\empty";
    std::string text = Browse(start, {WaitBrowser(&first), Press(&first, IDC_BROWSE_NEW_FOLDER),
                                      NameFolder("made", IDOK), WaitBrowser(&second, &first),
                                      Press(&second, IDC_BROWSE_DELETE), WaitBrowser(&third, &second),
                                      Press(&third, IDCANCEL)});
    EXPECT_EQ(start, text);
    EXPECT_FALSE(FileExists(start + "\\made"));
}

}  // namespace
