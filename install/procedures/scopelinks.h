// The shortcuts of an install, by its scope: a machine install links in the folders of all
// users (where Windows has them), one for a user in the user's own. One icon in each place,
// and one messenger that starts at the person's logon, whichever scopes are installed.
#ifndef SCOPELINKS_H
#define SCOPELINKS_H

#include "installcfg.h"
#include "scope.h"

struct RunContext;

// Creates or deletes the scope's shortcut in each place, as its check box says. A machine
// install also deletes the running person's own shortcuts to the messenger it installs (an
// older release linked there), and in his own Startup every messenger shortcut; an install
// for one user makes no Startup shortcut where the Startup of all users starts the machine's
// messenger.
void WriteShortcuts(const InstallCfg *cfg, InstallScope scope, const char *exePath, RunContext *ctx);

// Deletes the shortcuts of an uninstall: a machine's those of all users and the running
// person's own, one for a user his own. staying: the scope that stays installed, or SCOPE_ANY
// for none; keep: its messenger, whose shortcuts stay where that scope links. When the person's
// own install stays and the machine's Startup shortcut went, his messenger gets his own back.
void RemoveShortcuts(BOOL machine, InstallScope staying, const char *keep, RunContext *ctx);

#endif
