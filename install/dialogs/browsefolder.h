// The shell's folder browser, with two buttons of ours: new folder and delete.
#ifndef BROWSEFOLDER_H
#define BROWSEFOLDER_H

#include "tdlg.h"

#include <shlobj.h>

// Shows the browser starting at the text of owner's edit editId; the chosen folder goes
// back into that edit.
void BrowseFolder(TWin *owner, int editId, const char *title);

int CALLBACK BrowseCallback(HWND browser, UINT msg, LPARAM lParam, LPARAM hook);

// Follows one browser window after another: adds the buttons, tracks the selection, and
// closes the browser after a create or delete so that it can be reopened at the change.
class TBrowseHook : public TSubclassWin {
public:
    TBrowseHook();

    virtual BOOL OnCommand(WORD notifyCode, WORD id, HWND control);
    virtual BOOL AttachWindow(HWND browser);
    virtual BOOL StoreSelection(LPCITEMIDLIST item);

    char *pathBuf;  // MAX_PATH bytes, not owned
    BOOL changed;

private:
    BOOL selected;  // the browser reported a selection since the last attempt to set one
    BOOL hasPath;   // the selection is a folder (not this computer, the network, ...)
    HWND buttons[2];  // new folder and delete, once made
    void CreateFolder();
    void DeleteFolder();
    void AddButtons();
    void EnableButtons();
};

// Asks for the name of a new folder.
class TNewDirDlg : public TDlg {
public:
    TNewDirDlg(TWin *parent, char *nameBuf);
    virtual BOOL OnCommand(WORD notifyCode, WORD id, HWND control);

    char *nameBuf;  // MAX_PATH bytes, not owned
};

#endif
