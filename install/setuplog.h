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

#endif
