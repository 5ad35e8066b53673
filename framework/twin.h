// Window objects: TWin receives each message of its window as a virtual handler call;
// TSubclassWin takes over a window made elsewhere; TControlWin leaves keyboard work to its dialog.
#ifndef TWIN_H
#define TWIN_H

#include <windows.h>

// Timer id that PumpWait uses on every framework window: any message for the window with
// this wParam ends the wait.
const UINT PUMPWAIT_TIMER_ID = 32000;

// Every operation is virtual, in a fixed order that classes built elsewhere rely on: add none
// here. What else a window needs is a free function (tapp.h, ttext.h).
class TWin {
public:
    explicit TWin(TWin *parent = NULL);
    virtual ~TWin();

    virtual BOOL Show(int cmdShow);
    virtual BOOL Create(const char *className = NULL, const char *title = "",
                        DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0, HMENU menu = NULL);
    virtual BOOL Destroy();

    // Handlers: non-zero means handled. The defaults handle nothing.
    virtual BOOL OnCommand(WORD notifyCode, WORD id, HWND control);
    virtual BOOL OnSysCommand(WPARAM cmd, LPARAM lParam);
    virtual BOOL OnCreate(LPARAM lParam);
    virtual BOOL OnClose();
    virtual BOOL OnNcDestroy();
    virtual BOOL OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnEndSession(WPARAM ending, LPARAM logoffFlags);
    virtual BOOL OnQueryOpen();
    virtual BOOL OnPaint();
    virtual BOOL OnNcPaint(HRGN region);
    virtual BOOL OnSize(UINT sizeType, WORD width, WORD height);
    virtual BOOL OnGetMinMaxInfo(MINMAXINFO *info);
    virtual BOOL OnTimer(WPARAM timerId, LPARAM callback);
    virtual BOOL OnSetCursor(HWND cursorWnd, WORD hitTest, WORD mouseMsg);
    virtual BOOL OnMouseMove(UINT keys, LPARAM pos);
    virtual BOOL OnNcHitTest(LPARAM pos, LRESULT *result);
    virtual BOOL OnMeasureItem(UINT ctlId, MEASUREITEMSTRUCT *item);
    virtual BOOL OnDrawItem(UINT ctlId, DRAWITEMSTRUCT *item);
    virtual BOOL OnMenuSelect(WORD item, WORD flags, HMENU menu);
    virtual BOOL OnDropFiles(HDROP drop);
    virtual BOOL OnNotify(UINT ctlId, NMHDR *header);
    virtual BOOL OnContextMenu(HWND wnd, LPARAM pos);
    virtual BOOL OnHotKey(int hotKeyId);
    virtual BOOL OnScroll(UINT msg, WORD code, WORD pos, HWND bar);
    virtual BOOL OnButton(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnInitMenu(UINT msg, HMENU menu, WORD itemPos, WORD isWindowMenu);
    virtual BOOL OnCtlColor(UINT msg, HDC dc, HWND control, LRESULT *result);
    virtual BOOL OnFocus(UINT msg, HWND otherWnd);
    virtual BOOL OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Thin wrappers bound to hWnd. (windows.h maps several names to their "A" forms.)
    // Item texts are system texts (paths, what the user typed): one the system's code page
    // cannot hold reads as "". Window texts and message boxes are program texts (ttext.h).
    virtual UINT GetDlgItemText(int ctlId, char *buf, int size);
    virtual BOOL SetDlgItemText(int ctlId, const char *text);
    virtual HWND GetDlgItem(int ctlId);
    virtual int MessageBox(const char *text, const char *caption, UINT style);
    virtual BOOL BringWindowToTop();
    virtual BOOL SetForegroundWindow();
    virtual BOOL ForceForeground();
    virtual BOOL PostMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT SendMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT SendDlgItemMessage(int ctlId, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL GetWindowRect(RECT *r);
    virtual HWND SetActiveWindow();
    virtual BOOL SetWindowText(const char *text);
    virtual LONG_PTR SetWindowLong(int index, LONG_PTR value);
    virtual WORD SetWindowWord(int index, WORD value);
    virtual LONG_PTR GetWindowLong(int index);
    virtual WORD GetWindowWord(int index);
    virtual TWin *GetParent();
    virtual BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint);

    virtual BOOL PumpWait(int milliseconds);
    virtual BOOL PumpOne();
    virtual BOOL PreTranslate(MSG *msg);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

    RECT rect;      // x, y, width, height for Create; the last window rectangle after WM_NCDESTROY
    HACCEL hAccel;
    TWin *parent;   // not owned
    BOOL waitBusy;
    HWND hWnd;
};

// How HandleMessage turns a handler's answer into the message result.
enum HandlerRule {
    RULE_ZERO_OR_DEFAULT,    // handled: 0; else DefaultProc
    RULE_VALUE_OR_DEFAULT,   // handled: the handler's value; else DefaultProc
    RULE_STORED_OR_DEFAULT,  // handled: the value the handler stored; else DefaultProc
    RULE_VALUE               // the handler's value, no DefaultProc
};

struct HandlerCall {
    HandlerRule rule;
    BOOL result;     // what the handler returned
    LRESULT stored;  // what a handler with a result argument stored (0 if nothing)
};

// Unpacks the parameters of msg and calls the object's handler for it. FALSE when the
// message has no handler (WM_NCDESTROY, which the dispatchers treat themselves, included).
BOOL CallMessageHandler(TWin *win, UINT msg, WPARAM wParam, LPARAM lParam, HandlerCall *call);

// True for the private (0x0400-0x7FFF) and registered (0xC000-0xFFFF) message ranges.
BOOL IsUserMessage(UINT msg);

class TSubclassWin : public TWin {
public:
    explicit TSubclassWin(TWin *parent = NULL);

    virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL AttachWindow(HWND wnd);

    WNDPROC prevWndProc;
};

class TControlWin : public TSubclassWin {
public:
    explicit TControlWin(TWin *parent = NULL);

    virtual BOOL PreTranslate(MSG *msg);
};

#endif
