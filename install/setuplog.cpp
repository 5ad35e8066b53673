// The step log: each line is appended and the file closed again, so a crash loses nothing.
#include "setuplog.h"
#include "procedures.h"
#include "tstr.h"

#include <stdarg.h>
#include <stdio.h>

static const int LINE_SIZE = 1024;

TSetupLog::TSetupLog(const char *file)
{
    BoundedCopy(path, sizeof(path), file);
}

void TSetupLog::Line(const char *format, ...)
{
    if (!path[0])
        return;
    char line[LINE_SIZE];
    va_list args;
    va_start(args, format);
    int n = _vsnprintf(line, sizeof(line) - 2, format, args);
    va_end(args);
    if (n < 0 || n > LINE_SIZE - 3)
        n = LINE_SIZE - 3;  // a line cut short is still a line
    line[n++] = '\r';
    line[n++] = '\n';

    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    ::WriteFile(file, line, n, &written, NULL);
    ::CloseHandle(file);
}

void LogStep(RunContext *ctx, const char *format, ...)
{
    if (!ctx || !ctx->log)
        return;
    char line[LINE_SIZE];
    va_list args;
    va_start(args, format);
    int n = _vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (n < 0 || n >= LINE_SIZE)
        line[LINE_SIZE - 1] = 0;
    ctx->log->Line("%s", line);
}
