// Dialog object: a window object built from a dialog template, modeless or modal.
#ifndef TDLG_H
#define TDLG_H

#include "twin.h"

class TDlg : public TWin {
public:
    explicit TDlg(int resourceId, TWin *parent = NULL);
    virtual ~TDlg();

    virtual BOOL Destroy();
    virtual BOOL OnCommand(WORD notifyCode, WORD id, HWND control);
    virtual BOOL OnCreate(LPARAM lParam);
    virtual BOOL OnQueryOpen();
    virtual BOOL PreTranslate(MSG *msg);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    virtual BOOL Create(HINSTANCE instance = NULL);
    virtual int RunModal();
    virtual BOOL EndDialog(int result);

    char *resName;  // owned; used only when resId is 0
    int resId;
    BOOL modal;
};

#endif
