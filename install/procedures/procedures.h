// The install and uninstall procedures that the main dialog's start button runs.
#ifndef PROCEDURES_H
#define PROCEDURES_H

#include "installcfg.h"

#include <windows.h>

class TWin;
class TSetupLog;  // setuplog.h

// Exit codes of unattended runs (and of runs with the dialog, where README says so).
enum SetupExitCode {
    EXIT_SETUP_OK = 0,
    EXIT_MESSENGER_RUNNING = 2,
    EXIT_NO_INSTALL_FOLDER = 3,
    EXIT_COPY_FAILED = 4,
    EXIT_NOTHING_TO_UNINSTALL = 5,
    EXIT_ANOTHER_SETUP = 6,
    EXIT_INCOMPLETE = 7,          // an entry or the settings could not be written or removed
    EXIT_NEEDS_ADMINISTRATOR = 8,  // the machine's install, without administrator rights
    EXIT_LOG_FAILED = 1622,        // the log asked for cannot be written (Windows Installer's code)
    EXIT_UNKNOWN_SWITCH = 1639,    // an unattended run with a switch it does not know (the same)
    EXIT_RESTART_NEEDED = 3010     // Windows' own: a restart completes the install
};

// How a procedure runs beyond the dialog: unattended (no folder opened, a messenger that
// stays is a failure), with a step log, and the exit code it ended with.
struct RunContext {
    BOOL unattended;
    TSetupLog *log;  // not owned; may be none
    int exitCode;
};

// dlg owns the message boxes and holds the folder edits (install folder, setup folder).
// TRUE when the procedure ran to its end and posted the quit; FALSE leaves the dialog open.
// ctx may be none: an interactive run without a log.
BOOL RunInstall(TWin *dlg, const InstallCfg *cfg, RunContext *ctx = NULL);
BOOL RunUninstall(TWin *dlg, const InstallCfg *cfg, RunContext *ctx = NULL);

// What a procedure's message box asks. An unattended run answers by this, never by the text:
// OK to a notice, to starting and to closing the messenger; Cancel to a retry and to starting
// the messenger after the install.
enum Question {
    QUESTION_NONE,             // a notice
    QUESTION_START,            // "确定要开始吗?"
    QUESTION_CLOSE_MESSENGER,  // the running messenger is to be closed
    QUESTION_RETRY,            // something stays in the way: retry?
    QUESTION_START_MESSENGER   // the install is done: start the messenger?
};

// With the dialog, shows the box (owned by dlg) and returns the button pressed; an unattended
// run shows none, logs it, and returns the answer to question. ctx may be none.
int Ask(TWin *dlg, RunContext *ctx, Question question, const char *text, const char *caption, UINT style);

// Changes nothing for the machine without administrator rights: says so in a box and the
// log, sets the exit code, and returns FALSE.
BOOL RefuseWithoutRights(TWin *dlg, RunContext *ctx);

// Opens folder in the shell for the person, and logs what happened.
void OpenFolderForPerson(const char *folder, RunContext *ctx);

#endif
