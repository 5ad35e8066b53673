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

static LPCSTR TemplateOf(const TDlg *dlg)
{
    return dlg->resId ? MAKEINTRESOURCEA(dlg->resId) : dlg->resName;
}

BOOL TDlg::Create(HINSTANCE instance)
{
    SetPendingWindowObject(this);
    HWND owner = parent ? parent->hWnd : NULL;
    hWnd = CreateDialogT(instance ? instance : appInstance, TemplateOf(this), owner, (DLGPROC)SharedWndProc);
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
    int result = (int)DialogBoxT(appInstance, TemplateOf(this), owner, (DLGPROC)SharedWndProc);
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

// What the dialog procedure answers once a handler has run; 0 leaves the message to the
// dialog manager's default processing.
static LRESULT DialogResult(UINT msg, const HandlerCall &call)
{
    switch (msg) {
    case WM_QUERYENDSESSION:  // 0 leaves it to the dialog manager, which lets the session end
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

LRESULT TDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCDESTROY) {
        GetWindowRect(&rect);
        OnNcDestroy();
        DetachWindowObject(this);
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
