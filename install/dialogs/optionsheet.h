// Option sheets: the child dialog under the main dialog's mode buttons, install options
// (links) in modes 0 and 1, the uninstall note (key containers) in mode 2.
#ifndef OPTIONSHEET_H
#define OPTIONSHEET_H

#include "installcfg.h"
#include "tdlg.h"

class TOptionSheet : public TDlg {
public:
    // host: the control the sheet lives in (its parent window object); cfg: not owned.
    TOptionSheet(TWin *host, InstallCfg *cfg);

    virtual BOOL OnCommand(WORD notifyCode, WORD id, HWND control);
    virtual BOOL OnCreate(LPARAM lParam);

    void SaveChecks();  // check boxes of the shown sheet -> cfg
    void LoadChecks();  // cfg -> check boxes of the shown sheet
    void MatchMode();   // shows the sheet that cfg's mode asks for

    InstallCfg *cfg;
};

#endif
