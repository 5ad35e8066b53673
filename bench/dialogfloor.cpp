// The benchmark's start-up floor of the same work: a program with setup.exe's resources
// (manifest, dialogs, icon, version) and link options that starts as setup.exe does and shows
// its main dialog with the install options sheet in the option area, centred and shown as
// setup.exe shows it, and nothing else: no registry, no folders, no messenger search. What
// setup.exe takes above it is its own logic. It ends itself a second later.
#include "resource.h"
#include "setupstart.h"

static INT_PTR CALLBACK SheetProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

static INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        HINSTANCE instance = GetModuleHandleA(NULL);
        RECT r;
        GetWindowRect(dialog, &r);
        int width = r.right - r.left, height = r.bottom - r.top;
        SetClassLongPtrA(dialog, GCLP_HICON, (LONG_PTR)LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP)));
        MoveWindow(dialog, (GetSystemMetrics(SM_CXFULLSCREEN) - width) / 2,
                   (GetSystemMetrics(SM_CYFULLSCREEN) - height) / 2, width, height, TRUE);
        ShowWindow(dialog, SW_SHOWDEFAULT);
        UpdateWindow(dialog);
        // setup.exe creates the sheet after showing the dialog, too
        HWND sheet = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_INSTALL_OPTIONS),
                                        GetDlgItem(dialog, IDC_OPTION_AREA), SheetProc, 0);
        ShowWindow(sheet, SW_SHOWDEFAULT);
        UpdateWindow(sheet);
        SendDlgItemMessageW(dialog, IDC_MODE_INSTALL, BM_SETCHECK, BST_CHECKED, 0);
        EnableWindow(GetDlgItem(dialog, IDC_SETUP_DIR), FALSE);
        SetTimer(dialog, 1, 1000, NULL);
        return TRUE;
    }
    if (msg == WM_TIMER || msg == WM_CLOSE) {
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

// Without the C runtime's start-up code, as setup.exe; the wide calls, as setup.exe makes on NT.
extern "C" void WinMainCRTStartup()
{
    StartAsSetup();
    HWND dialog = CreateDialogParamW(GetModuleHandleA(NULL), MAKEINTRESOURCEW(IDD_SETUP), NULL, DialogProc, 0);
    MSG msg;
    while (dialog && GetMessageW(&msg, NULL, 0, 0) > 0)
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    ExitProcess(0);
}
