// The step log of "/log=FILE": one line per step, appended as text readable on any system
// (UTF-8 with a byte-order mark where the program shows its texts through the wide calls).
#ifndef SETUPLOG_H
#define SETUPLOG_H

#include <stdarg.h>
#include <windows.h>

class TSetupLog {
public:
    explicit TSetupLog(const char *path);
    void Line(const char *format, ...);
    void LineV(const char *format, va_list args);
    // label and a program text (texts.h), such as a message box's
    void TextLine(const char *label, const char *text);

private:
    void Write(const char *line, UINT codePage);
    char path[MAX_PATH];
};

struct RunContext;

// Appends one line to the log of a procedure's context (procedures.h), if it has one.
void LogStep(RunContext *ctx, const char *format, ...);

#endif
