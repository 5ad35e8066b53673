// The main setup dialog.
#include "setupdlg.h"
#include "browsefolder.h"
#include "folders.h"
#include "optionsheet.h"
#include "paths.h"
#include "procedures.h"
#include "resource.h"
#include "tapp.h"
#include "texts.h"
#include "tstr.h"
#include "tsystem.h"
#include "ttext.h"

#include <string.h>

static const int TITLE_SIZE = 100;

TSetupDlg::TSetupDlg(char *cmdLine, TSetupLog *stepLog) : TDlg(IDD_SETUP), host(this), sheet(NULL), log(stepLog)
{
    InitInstallCfg(&cfg);
    ParseCommandLine(cmdLine, &cfg);
}

TSetupDlg::~TSetupDlg()
{
    if (hWnd)
        ::RemovePropA(hWnd, SETUP_DIALOG_PROP);
}

BOOL TSetupDlg::OnCreate(LPARAM)
{
    if (WindowsMajor() <= 3) {
        MessageBox(TEXT_OLD_WINDOWS, TEXT_NOTICE, MB_OK);
        ::PostQuitMessage(0);
        return TRUE;
    }
    if (cfg.port != DEFAULT_PORT)
        AddPortToTitle();
    ::SetPropA(hWnd, SETUP_DIALOG_PROP, (HANDLE)1);
    CentreAndShow();

    host.AttachWindow(GetDlgItem(IDC_OPTION_AREA));
    sheet = new TOptionSheet(&host, &cfg);

    char setupFolder[MAX_PATH], installFolder[MAX_PATH];
    FindDefaultFolders(setupFolder, installFolder, ChooseScope((InstallScope)cfg.scope).scope);
    SetDlgItemText(IDC_SETUP_DIR, setupFolder);
    SetDlgItemText(IDC_INSTALL_DIR, installFolder);
    if (cfg.mode != SETUP_MODE_UNINSTALL)
        cfg.mode = GuessMode(setupFolder, installFolder);

    static const int radios[] = {IDC_MODE_INSTALL, IDC_MODE_INPLACE, IDC_MODE_UNINSTALL};
    SendDlgItemMessage(radios[cfg.mode], BM_SETCHECK, BST_CHECKED, 0);
    ApplyMode();
    return TRUE;
}

// The suffix goes on only as far as the title buffer holds it.
void TSetupDlg::AddPortToTitle()
{
    char title[TITLE_SIZE], suffix[32];
    GetProgramText(hWnd, title, sizeof(title));
    BoundedFormat(suffix, sizeof(suffix), TEXT_PORT_SUFFIX, cfg.port);
    int used = lstrlenA(title);
    lstrcpynA(title + used, suffix, sizeof(title) - used);
    SetWindowText(title);
}

void TSetupDlg::CentreAndShow()
{
    GetWindowRect(&rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int cxScreen = ::GetSystemMetrics(SM_CXFULLSCREEN), cyScreen = ::GetSystemMetrics(SM_CYFULLSCREEN);
    HICON icon = ::LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_SETUP));
    ::SetClassLongPtrA(hWnd, GCLP_HICON, (LONG_PTR)icon);
    MoveWindow((cxScreen - width) / 2, (cyScreen - height) / 2, width, height, TRUE);
    Show(SW_SHOWDEFAULT);
}

// Run from where it is installed, or from a network drive: register in place.
int TSetupDlg::GuessMode(const char *setupFolder, const char *installFolder)
{
    if (strcmp(installFolder, setupFolder) == 0 || DriveTypeOfPath(setupFolder) == DRIVE_REMOTE)
        return SETUP_MODE_INPLACE;
    return SETUP_MODE_INSTALL;
}

void TSetupDlg::ApplyMode()
{
    if (SendDlgItemMessage(IDC_MODE_INSTALL, BM_GETCHECK, 0, 0))
        cfg.mode = SETUP_MODE_INSTALL;
    else if (SendDlgItemMessage(IDC_MODE_INPLACE, BM_GETCHECK, 0, 0))
        cfg.mode = SETUP_MODE_INPLACE;
    else
        cfg.mode = SETUP_MODE_UNINSTALL;
    ::EnableWindow(GetDlgItem(IDC_INSTALL_DIR), cfg.mode == SETUP_MODE_INSTALL);
    ::EnableWindow(GetDlgItem(IDC_SETUP_DIR), cfg.mode == SETUP_MODE_INPLACE);
    if (sheet)
        sheet->MatchMode();
}

void TSetupDlg::RunChosenProcedure()
{
    RunContext ctx = {FALSE, log, EXIT_SETUP_OK};
    if (cfg.mode == SETUP_MODE_UNINSTALL)
        RunUninstall(this, &cfg, &ctx);
    else
        RunInstall(this, &cfg, &ctx);
}

BOOL TSetupDlg::OnCommand(WORD notifyCode, WORD id, HWND)
{
    switch (id) {
    case IDOK:
        // without a sheet window the flags stay as they are
        if (sheet && sheet->hWnd)
            sheet->SaveChecks();
        RunChosenProcedure();
        return TRUE;
    case IDCANCEL:
        ::PostQuitMessage(0);
        return TRUE;
    case IDC_BROWSE:
        BrowseFolder(this, IDC_INSTALL_DIR, TEXT_CHOOSE_INSTALL_DIR);
        return TRUE;
    case IDC_MODE_INSTALL:
    case IDC_MODE_INPLACE:
    case IDC_MODE_UNINSTALL:
        if (notifyCode == BN_CLICKED)
            ApplyMode();
        return TRUE;
    }
    return FALSE;
}
