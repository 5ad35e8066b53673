// Unattended runs ("/s"): the chosen procedure without the dialog or any message box.
#ifndef UNATTENDED_H
#define UNATTENDED_H

#include "installcfg.h"

class TSetupLog;

// Runs install (mode 0, or 1 with "/inplace") or uninstall ("/r") as a user pressing start
// and answering OK would, but without starting the messenger or opening a folder.
// Returns the exit code (SetupExitCode).
// log: the step log (not owned).
int RunUnattended(InstallCfg *cfg, const SetupSwitches *switches, TSetupLog *log);

#endif
