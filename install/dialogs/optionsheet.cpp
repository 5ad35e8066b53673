// Option sheets: swapped with the mode, their check boxes carried in the install configuration.
#include "optionsheet.h"
#include "resource.h"

TOptionSheet::TOptionSheet(TWin *host, InstallCfg *config) : TDlg(IDD_INSTALL_OPTIONS, host), cfg(config)
{
}

BOOL TOptionSheet::OnCreate(LPARAM)
{
    Show(SW_SHOWDEFAULT);
    return TRUE;
}

void TOptionSheet::SaveChecks()
{
    if (resId == IDD_UNINSTALL_NOTE) {
        cfg->delPubKey = (int)SendDlgItemMessage(IDC_DEL_PUBKEY, BM_GETCHECK, 0, 0);
    } else {
        cfg->startupLink = (int)SendDlgItemMessage(IDC_STARTUP_LINK, BM_GETCHECK, 0, 0);
        cfg->programsLink = (int)SendDlgItemMessage(IDC_PROGRAMS_LINK, BM_GETCHECK, 0, 0);
        cfg->desktopLink = (int)SendDlgItemMessage(IDC_DESKTOP_LINK, BM_GETCHECK, 0, 0);
    }
}

void TOptionSheet::LoadChecks()
{
    if (resId == IDD_UNINSTALL_NOTE) {
        SendDlgItemMessage(IDC_DEL_PUBKEY, BM_SETCHECK, cfg->delPubKey, 0);
    } else {
        SendDlgItemMessage(IDC_STARTUP_LINK, BM_SETCHECK, cfg->startupLink, 0);
        SendDlgItemMessage(IDC_PROGRAMS_LINK, BM_SETCHECK, cfg->programsLink, 0);
        SendDlgItemMessage(IDC_DESKTOP_LINK, BM_SETCHECK, cfg->desktopLink, 0);
    }
}

void TOptionSheet::MatchMode()
{
    BOOL wantUninstall = cfg->mode == SETUP_MODE_UNINSTALL;
    if (hWnd) {
        if ((resId == IDD_UNINSTALL_NOTE) == wantUninstall)
            return;
        SaveChecks();  // still the boxes of the sheet being left
        Destroy();
    }
    resId = wantUninstall ? IDD_UNINSTALL_NOTE : IDD_INSTALL_OPTIONS;
    Create();
    LoadChecks();
}

BOOL TOptionSheet::OnCommand(WORD notifyCode, WORD id, HWND control)
{
    if (id != IDOK && id != IDCANCEL)
        return FALSE;
    // Enter and Escape in the sheet act as the main dialog's buttons
    TWin *top = parent;
    while (top && top->GetParent())
        top = top->GetParent();
    if (top)
        top->OnCommand(notifyCode, id, control);
    return TRUE;
}
