// Starting the installed messenger with the signed-in person's ordinary rights.
#ifndef STARTMESSENGER_H
#define STARTMESSENGER_H

struct RunContext;

// Starts program in folder. An elevated setup program has the desktop shell start it, so that
// it does not inherit the administrator's token; elsewhere (no shell to reach, Windows before
// Vista, not elevated) it starts it itself. why: for the step log.
void StartMessenger(const char *program, const char *folder, const char *why, RunContext *ctx);

#endif
