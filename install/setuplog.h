// The step log of "/log=FILE": one line per step, appended in the ANSI code page.
#ifndef SETUPLOG_H
#define SETUPLOG_H

#include <stdarg.h>
#include <windows.h>

class TSetupLog {
public:
    explicit TSetupLog(const char *path);
    void Line(const char *format, ...);
    void LineV(const char *format, va_list args);

private:
    char path[MAX_PATH];
};

struct RunContext;

// Appends one line to the log of a procedure's context (procedures.h), if it has one.
void LogStep(RunContext *ctx, const char *format, ...);

#endif
