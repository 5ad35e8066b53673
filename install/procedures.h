// The install and uninstall procedures that the main dialog's start button runs.
#ifndef PROCEDURES_H
#define PROCEDURES_H

#include "installcfg.h"

#include <windows.h>

class TWin;

// Files copied beside the messenger.
const DWORD PLACEHOLDER_EXE_SIZE = 50000;  // a smaller qwill.exe is a placeholder

// dlg owns the message boxes and holds the folder edits (install folder, setup folder).
// TRUE when the procedure ran to its end and posted the quit; FALSE leaves the dialog open.
BOOL RunInstall(TWin *dlg, const InstallCfg *cfg);
BOOL RunUninstall(TWin *dlg, const InstallCfg *cfg);

#endif
