// The step log of "/log=FILE": one line per step, each with its time, appended as text
// readable on any system (UTF-8 with a byte-order mark where the program shows its texts
// through the wide calls).
#ifndef SETUPLOG_H
#define SETUPLOG_H

#include <stdarg.h>
#include <windows.h>

class TSetupLog {
public:
    TSetupLog();
    ~TSetupLog();
    // Opens file (made when missing) to append to for the whole run; "" asks for no log.
    // FALSE when the file cannot be opened: no folder, no rights, a name nobody expanded.
    BOOL Open(const char *file);
    const char *Path() const { return path; }
    void Line(const char *format, ...);
    void LineV(const char *format, va_list args);
    // label and a program text (texts.h), such as a message box's, on one line
    void TextLine(const char *label, const char *text);

private:
    void Write(const char *line, UINT codePage);
    HANDLE file;
    char path[MAX_PATH];
};

struct RunContext;

// Appends one line to the log of a procedure's context (procedures.h), if it has one.
void LogStep(RunContext *ctx, const char *format, ...);

// A failed step as the log tells it, into buf (size bytes): "failed, N (the system's text)".
const int FAILURE_TEXT_SIZE = 256;
const char *FailureText(DWORD error, char *buf, int size);

#endif
