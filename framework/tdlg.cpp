// Dialog object: creation, ending, keyboard handling and the dialog procedure's results.
#include "tdlg.h"
#include "tapp.h"
#include "ttext.h"

#include <stdlib.h>

TDlg::TDlg(int resourceId, TWin *parentWin) : TWin(parentWin)
{
    resName = NULL;
    modal = FALSE;
    resId = resourceId;
}

TDlg::~TDlg()
{
    if (hWnd)
        TDlg::EndDialog(0);
    free(resName);
}

LPCSTR TDlg::Template() const
{
    return resId ? MAKEINTRESOURCEA(resId) : resName;
}

BOOL TDlg::Create(HINSTANCE instance)
{
    SetPendingWindowObject(this);
    HWND owner = parent ? parent->hWnd : NULL;
    hWnd = CreateDialogT(instance ? instance : appInstance, Template(), owner, (DLGPROC)SharedWndProc);
    if (!hWnd) {
        RemoveWindowObject(this);
        return FALSE;
    }
    return TRUE;
}

int TDlg::RunModal()
{
    SetPendingWindowObject(this);
    modal = TRUE;
    HWND owner = parent ? parent->hWnd : NULL;
    int result = (int)DialogBoxT(appInstance, Template(), owner, (DLGPROC)SharedWndProc);
    modal = FALSE;
    // a dialog that never came to exist leaves no pending object behind
    if (pendingWin == this)
        pendingWin = NULL;
    return result;
}

BOOL TDlg::EndDialog(int result)
{
    if (!::IsWindow(hWnd))
        return FALSE;
    if (modal)
        return ::EndDialog(hWnd, result);
    return ::DestroyWindow(hWnd);
}

BOOL TDlg::Destroy()
{
    return EndDialog(0);
}

BOOL TDlg::OnCommand(WORD, WORD id, HWND)
{
    switch (id) {
    case IDOK:
    case IDYES:
        EndDialog(TRUE);
        return TRUE;
    case IDCANCEL:
    case IDNO:
        EndDialog(FALSE);
        return TRUE;
    }
    return FALSE;
}

BOOL TDlg::OnCreate(LPARAM)
{
    return TRUE;
}

BOOL TDlg::OnQueryOpen()
{
    return FALSE;
}

BOOL TDlg::PreTranslate(MSG *msg)
{
    if (hAccel && ::TranslateAcceleratorA(hWnd, hAccel, msg))
        return TRUE;
    if (modal)
        return FALSE;
    return IsDialogMessageT(hWnd, msg);
}

LRESULT TDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCDESTROY) {
        GetWindowRect(&rect);
        OnNcDestroy();
        Detach();
        return 0;
    }
    if (msg == WM_INITDIALOG)
        return OnCreate(lParam);
    if (msg == WM_CREATE)
        return 0;

    HandlerCall call;
    if (!CallMessageHandler(this, msg, wParam, lParam, &call))
        return 0;
    return DialogResult(msg, call);
}

// What the dialog procedure answers once a handler has run; 0 leaves the message to the
// dialog manager's default processing.
LRESULT TDlg::DialogResult(UINT msg, const HandlerCall &call) const
{
    switch (msg) {
    case WM_QUERYENDSESSION:
        return call.result ? 0 : 1;
    case WM_QUERYOPEN:
    case WM_SETCURSOR:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
    case WM_MOUSEMOVE:
    case WM_HOTKEY:
        return call.result;
    }
    if (call.rule == RULE_STORED_OR_DEFAULT)
        return call.stored;
    if (IsUserMessage(msg))
        return call.result;
    return 0;
}
