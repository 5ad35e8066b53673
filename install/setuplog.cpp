// The step log: the file stays open for the run and every line goes to it at once, so a crash
// loses nothing.
#include "setuplog.h"
#include "procedures.h"
#include "tstr.h"
#include "ttext.h"

#include <stdarg.h>
#include <stdio.h>

static const int LINE_SIZE = 1024;
static const int STAMP_SIZE = 16;  // "hh:mm:ss.mmm "

TSetupLog::TSetupLog() : file(INVALID_HANDLE_VALUE)
{
    path[0] = 0;
}

TSetupLog::~TSetupLog()
{
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
}

BOOL TSetupLog::Open(const char *name)
{
    if (!name[0])
        return TRUE;
    // resolved once: starting the messenger changes the current folder
    DWORD len = ::GetFullPathNameA(name, sizeof(path), path, NULL);
    if (len == 0 || len >= sizeof(path)) {
        path[0] = 0;
        return FALSE;
    }
    // a link is opened as itself (Windows 2000 on), never followed into the file it names
    DWORD flags = FILE_ATTRIBUTE_NORMAL | ((::GetVersion() & 0x80000000) ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    file = ::CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                         OPEN_ALWAYS, flags, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    // A log that is a link (another name of a file, or a reparse point) may have been laid for
    // an elevated run by someone who may not write that file: the run logs to a new file beside it.
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(file, &info) &&
        (info.nNumberOfLinks > 1 || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::CloseHandle(file);
        char fresh[MAX_PATH];
        BOOL named = BoundedFormat(fresh, sizeof(fresh), "%s.%lu", path, ::GetCurrentProcessId());
        file = named ? ::CreateFileA(fresh, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, CREATE_NEW, flags, NULL)
                     : INVALID_HANDLE_VALUE;
        // where none can be made, the run goes on without a log
        if (file == INVALID_HANDLE_VALUE)
            return TRUE;
        BoundedCopy(path, sizeof(path), fresh);
    }
    DWORD written;
    const char *mark = TextFileMark();
    if (::GetFileSize(file, NULL) == 0)
        ::WriteFile(file, mark, lstrlenA(mark), &written, NULL);
    return TRUE;
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
    if (file == INVALID_HANDLE_VALUE)
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
    if (file == INVALID_HANDLE_VALUE || !BoundedCopy(line, sizeof(line), label))
        return;
    // a box's line breaks become one space each
    int used = lstrlenA(line);
    for (const char *p = text; *p && used < LINE_SIZE - 1; p++) {
        if (*p != '\r' && *p != '\n')
            line[used++] = *p;
        else if (used > 0 && line[used - 1] != ' ')
            line[used++] = ' ';
    }
    while (used > 0 && line[used - 1] == ' ')
        used--;
    line[used] = 0;
    Write(line, ProgramCodePage());
}

void TSetupLog::Write(const char *line, UINT codePage)
{
    if (file == INVALID_HANDLE_VALUE)
        return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char bytes[STAMP_SIZE + 3 * LINE_SIZE + 2];  // UTF-8 takes at most three bytes for each byte of a line
    BoundedFormat(bytes, STAMP_SIZE, "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    char *text = bytes + lstrlenA(bytes);
    int room = (int)(sizeof(bytes) - (text - bytes)) - 2;
    if (!TextFileBytes(line, codePage, text, room))
        BoundedCopy(text, room, line);
    BoundedAppend(bytes, sizeof(bytes), "\r\n");
    DWORD written;
    ::WriteFile(file, bytes, lstrlenA(bytes), &written, NULL);
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

const char *FailureText(DWORD error, char *buf, int size)
{
    char text[FAILURE_TEXT_SIZE] = "";
    DWORD len = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, text,
                                 sizeof(text), NULL);
    while (len > 0 && (text[len - 1] == '\r' || text[len - 1] == '\n' || text[len - 1] == ' ' || text[len - 1] == '.'))
        text[--len] = 0;
    BoundedFormat(buf, size, len ? "failed, %lu (%s)" : "failed, %lu", error, text);
    return buf;
}
