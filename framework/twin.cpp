// Window object: handler dispatch, the Win32 wrappers, and the message pumps.
#include "twin.h"
#include "tapp.h"
#include "ttext.h"

TWin::TWin(TWin *parentWin)
{
    rect.left = rect.top = rect.right = rect.bottom = CW_USEDEFAULT;
    hAccel = NULL;
    parent = parentWin;
    waitBusy = FALSE;
    hWnd = NULL;
}

TWin::~TWin()
{
    TWin::Destroy();
}

BOOL TWin::Show(int cmdShow)
{
    ::ShowWindow(hWnd, cmdShow);
    return ::UpdateWindow(hWnd);
}

BOOL TWin::Create(const char *className, const char *title, DWORD style, DWORD exStyle, HMENU menu)
{
    if (!className)
        className = APP_CLASS_NAME;
    SetPendingWindowObject(this);
    HWND parentWnd = parent ? parent->hWnd : NULL;
    hWnd = ::CreateWindowExA(exStyle, className, title, style, rect.left, rect.top, rect.right,
                             rect.bottom, parentWnd, menu, appInstance, NULL);
    if (!hWnd) {
        RemoveWindowObject(this);
        return FALSE;
    }
    return TRUE;
}

BOOL TWin::Destroy()
{
    if (!::IsWindow(hWnd))
        return FALSE;
    BOOL ok = ::DestroyWindow(hWnd);
    hWnd = NULL;
    return ok;
}

BOOL TWin::OnCommand(WORD, WORD, HWND) { return FALSE; }
BOOL TWin::OnSysCommand(WPARAM, LPARAM) { return FALSE; }
BOOL TWin::OnCreate(LPARAM) { return FALSE; }
BOOL TWin::OnClose() { return FALSE; }
BOOL TWin::OnNcDestroy() { return FALSE; }
BOOL TWin::OnQueryEndSession(WPARAM, LPARAM) { return TRUE; }
BOOL TWin::OnEndSession(WPARAM, LPARAM) { return TRUE; }
BOOL TWin::OnQueryOpen() { return TRUE; }
BOOL TWin::OnPaint() { return FALSE; }
BOOL TWin::OnNcPaint(HRGN) { return FALSE; }
BOOL TWin::OnSize(UINT, WORD, WORD) { return FALSE; }
BOOL TWin::OnGetMinMaxInfo(MINMAXINFO *) { return FALSE; }
BOOL TWin::OnTimer(WPARAM, LPARAM) { return FALSE; }
BOOL TWin::OnSetCursor(HWND, WORD, WORD) { return FALSE; }
BOOL TWin::OnMouseMove(UINT, LPARAM) { return FALSE; }
BOOL TWin::OnNcHitTest(LPARAM, LRESULT *) { return FALSE; }
BOOL TWin::OnMeasureItem(UINT, MEASUREITEMSTRUCT *) { return FALSE; }
BOOL TWin::OnDrawItem(UINT, DRAWITEMSTRUCT *) { return FALSE; }
BOOL TWin::OnMenuSelect(WORD, WORD, HMENU) { return FALSE; }
BOOL TWin::OnDropFiles(HDROP) { return FALSE; }
BOOL TWin::OnNotify(UINT, NMHDR *) { return FALSE; }
BOOL TWin::OnContextMenu(HWND, LPARAM) { return FALSE; }
BOOL TWin::OnHotKey(int) { return FALSE; }
BOOL TWin::OnScroll(UINT, WORD, WORD, HWND) { return FALSE; }
BOOL TWin::OnButton(UINT, WPARAM, LPARAM) { return FALSE; }
BOOL TWin::OnInitMenu(UINT, HMENU, WORD, WORD) { return FALSE; }
BOOL TWin::OnCtlColor(UINT, HDC, HWND, LRESULT *) { return FALSE; }
BOOL TWin::OnFocus(UINT, HWND) { return FALSE; }
BOOL TWin::OnUserMessage(UINT, WPARAM, LPARAM) { return FALSE; }

UINT TWin::GetDlgItemText(int ctlId, char *buf, int size) { return GetSystemText(::GetDlgItem(hWnd, ctlId), buf, size); }
BOOL TWin::SetDlgItemText(int ctlId, const char *text) { return ::SetDlgItemTextA(hWnd, ctlId, text); }
HWND TWin::GetDlgItem(int ctlId) { return ::GetDlgItem(hWnd, ctlId); }
int TWin::MessageBox(const char *text, const char *caption, UINT style) { return ShowMessageBox(hWnd, text, caption, style); }
BOOL TWin::BringWindowToTop() { return ::BringWindowToTop(hWnd); }
BOOL TWin::SetForegroundWindow() { return ::SetForegroundWindow(hWnd); }
BOOL TWin::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return ::PostMessageA(hWnd, msg, wParam, lParam); }
LRESULT TWin::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return ::SendMessageA(hWnd, msg, wParam, lParam); }
LRESULT TWin::SendDlgItemMessage(int ctlId, UINT msg, WPARAM wParam, LPARAM lParam) { return ::SendDlgItemMessageA(hWnd, ctlId, msg, wParam, lParam); }
BOOL TWin::GetWindowRect(RECT *r) { return ::GetWindowRect(hWnd, r); }
HWND TWin::SetActiveWindow() { return ::SetActiveWindow(hWnd); }
BOOL TWin::SetWindowText(const char *text) { return SetProgramText(hWnd, text); }
LONG_PTR TWin::SetWindowLong(int index, LONG_PTR value) { return ::SetWindowLongPtrA(hWnd, index, value); }
WORD TWin::SetWindowWord(int index, WORD value) { return ::SetWindowWord(hWnd, index, value); }
LONG_PTR TWin::GetWindowLong(int index) { return ::GetWindowLongPtrA(hWnd, index); }
WORD TWin::GetWindowWord(int index) { return ::GetWindowWord(hWnd, index); }
TWin *TWin::GetParent() { return parent; }
BOOL TWin::MoveWindow(int x, int y, int width, int height, BOOL repaint) { return ::MoveWindow(hWnd, x, y, width, height, repaint); }

BOOL TWin::ForceForeground()
{
    DWORD foregroundThread = ::GetWindowThreadProcessId(::GetForegroundWindow(), NULL);
    DWORD ownThread = ::GetWindowThreadProcessId(hWnd, NULL);
    BOOL attached = foregroundThread != ownThread;
    if (attached)
        ::AttachThreadInput(ownThread, foregroundThread, TRUE);

    DWORD saved = 0;
    ::SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &saved, 0);
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, 0, 0);
    BOOL ok = ::SetForegroundWindow(hWnd);
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, (void *)(ULONG_PTR)saved, 0);

    if (attached)
        ::AttachThreadInput(ownThread, foregroundThread, FALSE);
    return ok;
}

static void TranslateAndDispatch(MSG *msg)
{
    if (!RoutePreTranslate(msg)) {
        ::TranslateMessage(msg);
        DispatchMessageT(msg);
    }
}

BOOL TWin::PumpWait(int milliseconds)
{
    if (milliseconds == 0 || waitBusy)
        return TRUE;
    if (!::SetTimer(hWnd, PUMPWAIT_TIMER_ID, milliseconds, NULL))
        return FALSE;
    waitBusy = TRUE;

    MSG msg;
    for (;;) {
        if (GetMessageT(&msg) <= 0) {
            // the quit request belongs to the outer loop: hand it back
            ::KillTimer(hWnd, PUMPWAIT_TIMER_ID);
            ::PostQuitMessage((int)msg.wParam);
            break;
        }
        // the timer's WM_TIMER, or any message for the window that carries its id
        if (msg.hwnd == hWnd && msg.wParam == PUMPWAIT_TIMER_ID) {
            ::KillTimer(hWnd, PUMPWAIT_TIMER_ID);
            break;
        }
        TranslateAndDispatch(&msg);
    }
    waitBusy = FALSE;
    return TRUE;
}

BOOL TWin::PumpOne()
{
    MSG msg;
    if (!PeekMessageT(&msg))
        return FALSE;
    if (msg.message == WM_QUIT) {
        // leave the quit request to the outer loop; nothing was pumped
        ::PostQuitMessage((int)msg.wParam);
        return FALSE;
    }
    TranslateAndDispatch(&msg);
    return TRUE;
}

BOOL TWin::PreTranslate(MSG *msg)
{
    if (hAccel)
        return ::TranslateAcceleratorA(hWnd, hAccel, msg);
    return FALSE;
}

LRESULT TWin::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCDESTROY) {
        GetWindowRect(&rect);
        if (!OnNcDestroy())
            DefaultProc(msg, wParam, lParam);
        DetachWindowObject(this);
        return 0;
    }

    HandlerCall call;
    if (!CallMessageHandler(this, msg, wParam, lParam, &call))
        return DefaultProc(msg, wParam, lParam);

    switch (call.rule) {
    case RULE_ZERO_OR_DEFAULT:
        return call.result ? 0 : DefaultProc(msg, wParam, lParam);
    case RULE_VALUE_OR_DEFAULT:
        return call.result ? call.result : DefaultProc(msg, wParam, lParam);
    case RULE_STORED_OR_DEFAULT:
        return call.result ? call.stored : DefaultProc(msg, wParam, lParam);
    case RULE_VALUE:
    default:
        return call.result;
    }
}

LRESULT TWin::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

BOOL IsUserMessage(UINT msg)
{
    return (msg >= WM_USER && msg <= 0x7FFF) || (msg >= 0xC000 && msg <= 0xFFFF);
}

BOOL CallMessageHandler(TWin *win, UINT msg, WPARAM wParam, LPARAM lParam, HandlerCall *call)
{
    call->rule = RULE_ZERO_OR_DEFAULT;
    call->stored = 0;
    WORD lo = LOWORD(lParam), hi = HIWORD(lParam);

    switch (msg) {
    case WM_CREATE: call->result = win->OnCreate(lParam); break;
    case WM_SIZE: call->result = win->OnSize((UINT)wParam, lo, hi); break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: call->result = win->OnFocus(msg, (HWND)wParam); break;
    case WM_PAINT: call->result = win->OnPaint(); break;
    case WM_CLOSE: call->result = win->OnClose(); break;
    case WM_QUERYENDSESSION:
        call->rule = RULE_VALUE;
        call->result = win->OnQueryEndSession(wParam, lParam);
        break;
    case WM_QUERYOPEN:
        call->rule = RULE_VALUE;
        call->result = win->OnQueryOpen();
        break;
    case WM_ENDSESSION: call->result = win->OnEndSession(wParam, lParam); break;
    case WM_SETCURSOR:
        call->rule = RULE_VALUE_OR_DEFAULT;
        call->result = win->OnSetCursor((HWND)wParam, lo, hi);
        break;
    case WM_GETMINMAXINFO: call->result = win->OnGetMinMaxInfo((MINMAXINFO *)lParam); break;
    case WM_DRAWITEM:
        call->rule = RULE_VALUE_OR_DEFAULT;
        call->result = win->OnDrawItem((UINT)wParam, (DRAWITEMSTRUCT *)lParam);
        break;
    case WM_MEASUREITEM:
        call->rule = RULE_VALUE_OR_DEFAULT;
        call->result = win->OnMeasureItem((UINT)wParam, (MEASUREITEMSTRUCT *)lParam);
        break;
    case WM_NOTIFY:
        call->rule = RULE_VALUE_OR_DEFAULT;
        call->result = win->OnNotify((UINT)wParam, (NMHDR *)lParam);
        break;
    case WM_CONTEXTMENU:
        call->rule = RULE_VALUE_OR_DEFAULT;
        call->result = win->OnContextMenu((HWND)wParam, lParam);
        break;
    case WM_NCHITTEST:
        call->rule = RULE_STORED_OR_DEFAULT;
        call->result = win->OnNcHitTest(lParam, &call->stored);
        break;
    case WM_NCPAINT: call->result = win->OnNcPaint((HRGN)wParam); break;
    case WM_COMMAND: call->result = win->OnCommand(HIWORD(wParam), LOWORD(wParam), (HWND)lParam); break;
    case WM_SYSCOMMAND: call->result = win->OnSysCommand(wParam, lParam); break;
    case WM_TIMER: call->result = win->OnTimer(wParam, lParam); break;
    case WM_HSCROLL:
    case WM_VSCROLL: call->result = win->OnScroll(msg, LOWORD(wParam), HIWORD(wParam), (HWND)lParam); break;
    case WM_INITMENU:
    case WM_INITMENUPOPUP: call->result = win->OnInitMenu(msg, (HMENU)wParam, lo, hi); break;
    case WM_MENUSELECT: call->result = win->OnMenuSelect(LOWORD(wParam), HIWORD(wParam), (HMENU)lParam); break;
    case WM_MOUSEMOVE: call->result = win->OnMouseMove((UINT)wParam, lParam); break;
    case WM_DROPFILES: call->result = win->OnDropFiles((HDROP)wParam); break;
    case WM_HOTKEY:
        call->rule = RULE_VALUE_OR_DEFAULT;
        call->result = win->OnHotKey((int)wParam);
        break;
    default:
        if ((msg >= WM_NCLBUTTONDOWN && msg <= WM_NCRBUTTONDBLCLK) ||
            (msg >= WM_LBUTTONDOWN && msg <= WM_RBUTTONDBLCLK)) {
            call->result = win->OnButton(msg, wParam, lParam);
        } else if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
            call->rule = RULE_STORED_OR_DEFAULT;
            call->result = win->OnCtlColor(msg, (HDC)wParam, (HWND)lParam, &call->stored);
        } else if (IsUserMessage(msg)) {
            call->rule = RULE_VALUE_OR_DEFAULT;
            call->result = win->OnUserMessage(msg, wParam, lParam);
        } else {
            return FALSE;
        }
    }
    return TRUE;
}

TSubclassWin::TSubclassWin(TWin *parentWin) : TWin(parentWin), prevWndProc(NULL)
{
}

LRESULT TSubclassWin::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcT(prevWndProc, hWnd, msg, wParam, lParam);
}

BOOL TSubclassWin::AttachWindow(HWND wnd)
{
    // in the table before the procedure changes, so the first message finds the object
    AttachWindowObject(this, wnd);
    prevWndProc = SubclassWindowT(wnd, SharedWndProc);
    return prevWndProc != NULL;
}

TControlWin::TControlWin(TWin *parentWin) : TSubclassWin(parentWin)
{
}

BOOL TControlWin::PreTranslate(MSG *msg)
{
    return parent ? parent->PreTranslate(msg) : FALSE;
}
