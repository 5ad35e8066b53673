// The main setup dialog: mode, folders, option sheet, start and cancel.
#ifndef SETUPDLG_H
#define SETUPDLG_H

#include "installcfg.h"
#include "setuplog.h"
#include "tdlg.h"

class TOptionSheet;

// Window property that marks the main dialog, so that a second setup can find it.
#define SETUP_DIALOG_PROP "QwillSetupDialog"

class TSetupDlg : public TDlg {
public:
    // cmdLine is split in place; log: the step log (not owned).
    TSetupDlg(char *cmdLine, TSetupLog *log);
    virtual ~TSetupDlg();

    virtual BOOL OnCommand(WORD notifyCode, WORD id, HWND control);
    virtual BOOL OnCreate(LPARAM lParam);

    // Makes cfg's mode, the folder edits and the option sheet agree with the radio buttons.
    void ApplyMode();

    TControlWin host;      // takes over the option area; the sheet's parent
    TOptionSheet *sheet;   // not owned: lives until the process ends
    InstallCfg cfg;
    TSetupLog *log;  // not owned

private:
    void RunChosenProcedure();
    void AddPortToTitle();
    void CentreAndShow();
    int GuessMode(const char *setupFolder, const char *installFolder);
};

#endif
