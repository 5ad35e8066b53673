// The step log of "/log=FILE": one line per step, each with its time, appended as text
// readable on any system (UTF-8 with a byte-order mark where the program shows its texts
// through the wide calls).
#ifndef SETUPLOG_H
#define SETUPLOG_H

#include "failure.h"

#include <stdarg.h>
#include <windows.h>

class TSetupLog {
public:
    TSetupLog();
    ~TSetupLog();
    // Opens file (made when missing) to append to for the whole run; not given: no log. FALSE
    // when a log was asked for and cannot be kept: no name, no full path, no folder, no rights,
    // a name nobody expanded, or a folder on the way that leads elsewhere (a junction or link).
    // elevated: a new log is made for administrators and SYSTEM only.
    BOOL Open(const char *file, BOOL given, BOOL elevated);
    const char *Path() const { return path; }
    void Line(const char *format, ...);
    void LineV(const char *format, va_list args);
    // label and a program text (texts.h), such as a message box's, on one line
    void TextLine(const char *label, const char *text);
    // before, the command line as Windows holds it, and after, on one line
    void CommandLine(const char *before, const char *after);

private:
    void Write(const char *text, UINT codePage);
    void WriteBytes(const char *bytes);
    HANDLE file;
    char path[MAX_PATH];
};

struct RunContext;

// Appends one line to the log of a procedure's context (procedures.h), if it has one.
void LogStep(RunContext *ctx, const char *format, ...);

// TRUE when final, the path Windows gives for an opened file (as GetFinalPathNameByHandle
// does: "\\?\C:\..." or "\\?\UNC\server\share\..."), is asked, the full path it was opened by,
// in its long form: no folder on the way led elsewhere. remote: asked is on a mapped network
// drive, which Windows names by its share.
BOOL FinalPathIsAsked(const char *asked, const char *final, BOOL remote);

#endif
