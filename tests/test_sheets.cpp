// Option sheets in a host dialog's static control, as the main dialog holds them.
#include "optionsheet.h"
#include "resource.h"
#include "tapp.h"
#include "testdlg.h"
#include "winwait.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class THostDlg : public TDlg {
public:
    THostDlg() : TDlg(IDD_TEST_HOST), host(this) {}
    TControlWin host;
    std::vector<WORD> commands;
    BOOL OnCommand(WORD, WORD id, HWND) override
    {
        commands.push_back(id);
        return TRUE;
    }
};

class Sheets : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureAppClass(); }
    void SetUp() override
    {
        InitInstallCfg(&cfg);
        ASSERT_TRUE(dlg.Create());
        ASSERT_TRUE(dlg.host.AttachWindow(dlg.GetDlgItem(1133)));
        sheet = new TOptionSheet(&dlg.host, &cfg);
        SwitchTo(cfg.mode);
    }
    void TearDown() override
    {
        dlg.Destroy();
        delete sheet;
    }
    void SwitchTo(int mode)
    {
        cfg.mode = mode;
        sheet->MatchMode();
    }
    int Checked(int id) { return (int)sheet->SendDlgItemMessage(id, BM_GETCHECK, 0, 0); }
    void Click(int id) { SendMessageA(sheet->GetDlgItem(id), BM_CLICK, 0, 0); }

    THostDlg dlg;
    TOptionSheet *sheet;
    InstallCfg cfg;
};

TEST_F(Sheets, FirstDisplayTicksTheThreeLinks)
{
    ASSERT_TRUE(sheet->hWnd);
    EXPECT_EQ(IDD_INSTALL_OPTIONS, sheet->resId);
    EXPECT_EQ(dlg.host.hWnd, GetParent(sheet->hWnd));
    EXPECT_TRUE(IsWindowVisible(sheet->hWnd));
    RECT r;
    GetWindowRect(sheet->hWnd, &r);
    RECT area;
    GetWindowRect(dlg.host.hWnd, &area);
    EXPECT_EQ(area.left, r.left);
    EXPECT_EQ(area.top, r.top);
    for (int id : {IDC_STARTUP_LINK, IDC_PROGRAMS_LINK, IDC_DESKTOP_LINK})
        EXPECT_EQ(BST_CHECKED, Checked(id)) << id;
}

TEST_F(Sheets, UninstallShowsTheNoteWithItsBoxTicked)
{
    SwitchTo(SETUP_MODE_UNINSTALL);
    EXPECT_EQ(IDD_UNINSTALL_NOTE, sheet->resId);
    EXPECT_EQ(BST_CHECKED, Checked(IDC_DEL_PUBKEY));
    EXPECT_FALSE(sheet->GetDlgItem(IDC_STARTUP_LINK));
}

TEST_F(Sheets, SwitchingKeepsWhatTheUserSet)
{
    Click(IDC_DESKTOP_LINK);
    SwitchTo(SETUP_MODE_UNINSTALL);
    EXPECT_EQ(0, cfg.desktopLink);
    Click(IDC_DEL_PUBKEY);
    SwitchTo(SETUP_MODE_INSTALL);
    EXPECT_EQ(BST_UNCHECKED, Checked(IDC_DESKTOP_LINK));
    EXPECT_EQ(BST_CHECKED, Checked(IDC_STARTUP_LINK));
    EXPECT_EQ(BST_CHECKED, Checked(IDC_PROGRAMS_LINK));
    SwitchTo(SETUP_MODE_UNINSTALL);
    EXPECT_EQ(BST_UNCHECKED, Checked(IDC_DEL_PUBKEY));
    sheet->SaveChecks();
    EXPECT_EQ(0, cfg.delPubKey);
}

TEST_F(Sheets, InstallAndInPlaceShareOneWindow)
{
    HWND before = sheet->hWnd;
    Click(IDC_STARTUP_LINK);
    SwitchTo(SETUP_MODE_INPLACE);
    EXPECT_EQ(before, sheet->hWnd);
    EXPECT_EQ(BST_UNCHECKED, Checked(IDC_STARTUP_LINK));
    EXPECT_EQ(1, cfg.startupLink);  // no save happened
    sheet->SaveChecks();
    EXPECT_EQ(0, cfg.startupLink);
    EXPECT_EQ(1, cfg.programsLink);
}

TEST_F(Sheets, EnterAndEscapeActAsTheHostsButtons)
{
    SetForegroundWindow(dlg.hWnd);
    HWND box = sheet->GetDlgItem(IDC_PROGRAMS_LINK);
    SetFocus(box);
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        PostMessageA(box, WM_KEYDOWN, key, 1);
        PostMessageA(box, WM_KEYUP, key, 0xC0000001);
        while (dlg.PumpOne()) {
        }
    }
    EXPECT_EQ((std::vector<WORD>{IDOK, IDCANCEL}), dlg.commands);
    EXPECT_TRUE(IsWindow(sheet->hWnd));  // the sheet did not end itself
    EXPECT_FALSE(sheet->OnCommand(0, 0, NULL));
    EXPECT_FALSE(sheet->OnCommand(0, IDC_STARTUP_LINK, NULL));
}

}  // namespace
