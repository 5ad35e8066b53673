// The step log: the file stays open for the run and every line goes to it at once, so a crash
// loses nothing.
#include "setuplog.h"
#include "paths.h"
#include "procedures.h"
#include "tstr.h"
#include "tsystem.h"
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

BOOL FinalPathIsAsked(const char *asked, const char *final, BOOL remote)
{
    char named[MAX_PATH + 8];
    if (StrNCaseCmp(final, "\\\\?\\UNC\\", 8) == 0)
        BoundedFormat(named, sizeof(named), "\\\\%s", final + 8);
    else
        BoundedCopy(named, sizeof(named), StrNCaseCmp(final, "\\\\?\\", 4) == 0 ? final + 4 : final);
    if (lstrcmpiA(named, asked) == 0)
        return TRUE;
    // N:\logs\q.log opened is \\server\share\logs\q.log: the same below the drive
    int tail = lstrlenA(asked) - 2, at = lstrlenA(named) - tail;
    return remote && asked[1] == ':' && named[0] == '\\' && named[1] == '\\' && at > 2 && named[at] == '\\' &&
           lstrcmpiA(named + at, asked + 2) == 0;
}

// TRUE when the file or folder opened as handle lies where path says. Systems before Vista
// cannot tell, and neither can some file systems: they are believed.
static BOOL WhereAsked(HANDLE handle, const char *path)
{
    typedef DWORD(WINAPI * FinalPathFunc)(HANDLE, LPSTR, DWORD, DWORD);
    typedef DWORD(WINAPI * LongPathFunc)(LPCSTR, LPSTR, DWORD);
    FinalPathFunc finalPath = FunctionOf<FinalPathFunc>("kernel32.dll", "GetFinalPathNameByHandleA");
    LongPathFunc longPath = FunctionOf<LongPathFunc>("kernel32.dll", "GetLongPathNameA");
    char final[MAX_PATH + 8], asked[MAX_PATH];
    DWORD len = finalPath ? finalPath(handle, final, sizeof(final), 0) : 0;
    if (len == 0 || len >= sizeof(final))
        return TRUE;
    // a short name (PROGRA~1) is the same folder
    len = longPath ? longPath(path, asked, sizeof(asked)) : 0;
    if (len == 0 || len >= sizeof(asked))
        BoundedCopy(asked, sizeof(asked), path);
    return FinalPathIsAsked(asked, final, DriveTypeOfPath(asked) == DRIVE_REMOTE);
}

// An access list for a log that an elevated run makes: administrators and SYSTEM only, so that
// standard users may neither read what it says nor hold it open. Self-relative, and protected
// from what the folder passes on to its files.
alignas(4) static const BYTE ADMINISTRATORS_ONLY[] = {
    1, 0, 0x04, 0x90,                                            // revision; DACL present, protected, self-relative
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0,             // no owner, group or SACL; the DACL at 20
    2, 0, 52, 0, 2, 0, 0, 0,                                     // ACL revision 2, 52 bytes, 2 entries
    0, 0, 20, 0, 0xFF, 0x01, 0x1F, 0, 1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0,  // all access: SYSTEM
    0, 0, 24, 0, 0xFF, 0x01, 0x1F, 0, 1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};  // Administrators

BOOL TSetupLog::Open(const char *name, BOOL given, BOOL elevated)
{
    if (!given)
        return TRUE;
    // resolved once: starting the messenger changes the current folder
    DWORD len = name[0] ? ::GetFullPathNameA(name, sizeof(path), path, NULL) : 0;
    char folder[MAX_PATH];
    if (len == 0 || len >= sizeof(path) || !IsFullPath(path) || !ParentDirOf(path, folder)) {
        path[0] = 0;
        return FALSE;
    }
    // a folder on the way that leads elsewhere (a junction a standard user laid) is refused
    // before anything is made there: the log and its stand-in would both lie where it leads
    HANDLE place = ::CreateFileA(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, NULL);
    BOOL where = place == INVALID_HANDLE_VALUE || WhereAsked(place, folder);
    if (place != INVALID_HANDLE_VALUE)
        ::CloseHandle(place);
    if (!where)
        return FALSE;
    SECURITY_ATTRIBUTES security = {sizeof(security), (void *)ADMINISTRATORS_ONLY, FALSE};
    LPSECURITY_ATTRIBUTES made = elevated ? &security : NULL;
    // a link is opened as itself (Windows 2000 on), never followed into the file it names
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (IsWindows9x() ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    file = ::CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, made,
                         OPEN_ALWAYS, flags, NULL);
    BOOL held = file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_SHARING_VIOLATION;
    if (file == INVALID_HANDLE_VALUE && !held)
        return FALSE;
    // A log that is a link (another name of a file, or a reparse point) may have been laid for
    // an elevated run by someone who may not write that file, and one that another process
    // holds would stop every run: the run logs to a new file beside it.
    BY_HANDLE_FILE_INFORMATION info;
    if (held || (::GetFileInformationByHandle(file, &info) &&
                 (info.nNumberOfLinks > 1 || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)))) {
        if (!held)
            ::CloseHandle(file);
        char fresh[MAX_PATH];
        BOOL named = BoundedFormat(fresh, sizeof(fresh), "%s.%lu", path, ::GetCurrentProcessId());
        file = named ? ::CreateFileA(fresh, FILE_APPEND_DATA, FILE_SHARE_READ, made, CREATE_NEW, flags, NULL)
                     : INVALID_HANDLE_VALUE;
        // where none can be made, the run goes on without a log
        if (file == INVALID_HANDLE_VALUE)
            return TRUE;
        BoundedCopy(path, sizeof(path), fresh);
    }
    if (!WhereAsked(file, path)) {
        ::CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
        return FALSE;
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
    char bytes[3 * LINE_SIZE];  // UTF-8 takes at most three bytes for each byte of a line
    if (!TextFileBytes(line, codePage, bytes, sizeof(bytes)))
        BoundedCopy(bytes, sizeof(bytes), line);
    WriteBytes(bytes);
}

// bytes: a line as the file holds it; the time goes before it, the line's end after it.
void TSetupLog::WriteBytes(const char *bytes)
{
    if (file == INVALID_HANDLE_VALUE)
        return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char line[STAMP_SIZE + 3 * LINE_SIZE + 2];
    BoundedFormat(line, STAMP_SIZE, "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    BoundedAppend(line, sizeof(line), bytes);
    BoundedAppend(line, sizeof(line), "\r\n");
    DWORD written;
    ::WriteFile(file, line, lstrlenA(line), &written, NULL);
}

void TSetupLog::CommandLine(const char *before, const char *after)
{
    typedef LPWSTR(WINAPI * CommandLineWFunc)();
    CommandLineWFunc commandLineW = WideTextCalls() ? FunctionOf<CommandLineWFunc>("kernel32.dll", "GetCommandLineW") : NULL;
    const int ROOM = 3 * LINE_SIZE, AFTER_SIZE = 256;
    char bytes[ROOM], tail[AFTER_SIZE];
    int used = TextFileBytes(before, CP_ACP, bytes, AFTER_SIZE) ? lstrlenA(bytes) : 0;
    // UTF-16 to the UTF-8 of the file; a line cut short is still a line
    int added = commandLineW ? ::WideCharToMultiByte(CP_UTF8, 0, commandLineW(), -1, bytes + used, ROOM - AFTER_SIZE - used,
                                                     NULL, NULL)
                             : 0;
    if (!added) {
        Line("%s%s%s", before, ::GetCommandLineA(), after);
        return;
    }
    if (TextFileBytes(after, CP_ACP, tail, sizeof(tail)))
        BoundedAppend(bytes, sizeof(bytes), tail);
    WriteBytes(bytes);
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
