// Closing the messenger's running windows before anything is changed.
#ifndef INSTANCES_H
#define INSTANCES_H

#include <windows.h>

class TWin;
struct RunContext;

// How long a messenger window may take to handle WM_CLOSE before it counts as hung.
const UINT CLOSE_TIMEOUT_MS = 3000;

// Asks once (box owned by owner) and sends WM_CLOSE to every messenger window.
// FALSE when the user cancelled; TRUE when there was nothing to close or it was asked to.
BOOL CloseRunningInstances(TWin *owner, RunContext *ctx);

// TRUE when the close step asked a messenger window of this session to close.
BOOL ClosedMessengers();

// The processes of the messenger windows that the close step reaches (this desktop's), at most
// max of them, into ids; returns how many.
int MessengersHere(DWORD *ids, int max);

// After the close request, waits a short while for the messenger's windows, and then their
// processes, to go. When one stays: an unattended run fails (exit code "messenger running"); otherwise, with offerRetry,
// the user is told which program runs and may retry (closing it again) or cancel (FALSE);
// without offerRetry the procedure goes on.
BOOL EnsureMessengerGone(TWin *owner, RunContext *ctx, BOOL offerRetry);

#endif
