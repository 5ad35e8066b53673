// The step log: each line is appended and the file closed again, so a crash loses nothing.
#include "setuplog.h"
#include "procedures.h"
#include "tstr.h"
#include "ttext.h"

#include <stdarg.h>
#include <stdio.h>

static const int LINE_SIZE = 1024;

TSetupLog::TSetupLog(const char *file)
{
    // resolved once: starting the messenger changes the current folder
    DWORD len = file[0] ? ::GetFullPathNameA(file, sizeof(path), path, NULL) : 0;
    if (len == 0 || len >= sizeof(path))
        path[0] = 0;
}

void TSetupLog::Line(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    LineV(format, args);
    va_end(args);
}

void TSetupLog::LineV(const char *format, va_list args)
{
    if (!path[0])
        return;
    char line[LINE_SIZE];
    int n = _vsnprintf(line, sizeof(line) - 2, format, args);
    if (n < 0 || n > LINE_SIZE - 3)
        n = LINE_SIZE - 3;  // a line cut short is still a line
    line[n] = 0;
    Write(line, CP_ACP);  // paths and numbers: system texts
}

void TSetupLog::TextLine(const char *label, const char *text)
{
    char line[LINE_SIZE];
    if (path[0] && BoundedCopy(line, sizeof(line), label))
        BoundedAppend(line, sizeof(line), text);
    Write(line, ProgramCodePage());
}

void TSetupLog::Write(const char *line, UINT codePage)
{
    if (!path[0])
        return;
    char bytes[3 * LINE_SIZE + 2];  // UTF-8 takes at most three bytes for each byte of a line
    if (!TextFileBytes(line, codePage, bytes, sizeof(bytes) - 2))
        BoundedCopy(bytes, sizeof(bytes) - 2, line);
    BoundedAppend(bytes, sizeof(bytes), "\r\n");

    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    const char *mark = TextFileMark();
    if (::GetFileSize(file, NULL) == 0)
        ::WriteFile(file, mark, lstrlenA(mark), &written, NULL);
    ::WriteFile(file, bytes, lstrlenA(bytes), &written, NULL);
    ::CloseHandle(file);
}

void LogStep(RunContext *ctx, const char *format, ...)
{
    if (!ctx || !ctx->log)
        return;
    va_list args;
    va_start(args, format);
    ctx->log->LineV(format, args);
    va_end(args);
}
