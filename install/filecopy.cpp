// Copying a program file over an installed one without losing the old one on failure.
#include "filecopy.h"
#include "regkeys.h"
#include "tregist.h"
#include "tstr.h"

#include <stdlib.h>
#include <string.h>

// out = path with its last character replaced by mark: a name beside it of the same length,
// on the same volume. The names it is used with end in an ASCII character.
static BOOL SiblingPath(const char *path, char mark, char *out)
{
    if (!BoundedCopy(out, MAX_PATH, path))
        return FALSE;
    size_t len = strlen(out);
    if (len == 0 || (BYTE)out[len - 1] >= 0x80 || out[len - 1] == '\\')
        return FALSE;
    out[len - 1] = mark;
    return TRUE;
}

// Keeps the last error: it tells why the step that needs the clean-up failed.
static void DeleteQuietly(const char *path)
{
    DWORD error = ::GetLastError();
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);  // a read-only file cannot be deleted
    ::DeleteFileA(path);
    ::SetLastError(error);
}

BOOL ReplaceByRenaming(const char *temp, const char *target)
{
    if (::GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES)
        return ::MoveFileA(temp, target);
    char backup[MAX_PATH];
    if (!SiblingPath(target, '!', backup))
        return FALSE;
    DeleteQuietly(backup);
    if (!::MoveFileA(target, backup))
        return FALSE;
    if (::MoveFileA(temp, target)) {
        DeleteQuietly(backup);
        return TRUE;
    }
    ::MoveFileA(backup, target);
    return FALSE;
}

typedef BOOL(WINAPI *MoveFileExFunc)(LPCSTR, LPCSTR, DWORD);

// MoveFileExA is looked up: Windows 95 lacks it, or has a stub that says so.
static MoveFileExFunc MoveFileExOrNone()
{
    return (MoveFileExFunc)(void *)::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "MoveFileExA");
}

static BOOL MoveReplacing(const char *temp, const char *target)
{
    MoveFileExFunc moveEx = MoveFileExOrNone();
    if (moveEx) {
        if (moveEx(temp, target, MOVEFILE_REPLACE_EXISTING))
            return TRUE;
        if (::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
            return FALSE;
    }
    return ReplaceByRenaming(temp, target);
}

// Writes what the system holds of the file to the disk. Once a copy takes the old file's
// name, that name must not stand for data that a power cut kept from the disk.
static BOOL FlushToDisk(const char *path)
{
    DWORD attributes = ::GetFileAttributesA(path);
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);  // a copy of a read-only file (from a CD) too
    // shared: a virus scanner or the indexer may have opened the new file already
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    // a network redirector that cannot flush has the data on its server's disk to care for
    BOOL flushed = file != INVALID_HANDLE_VALUE &&
                   (::FlushFileBuffers(file) || ::GetLastError() == ERROR_INVALID_FUNCTION);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    ::SetFileAttributesA(path, attributes);
    return flushed;
}

BOOL CopyReplacing(const char *source, const char *target)
{
    char temp[MAX_PATH];
    if (!SiblingPath(target, '~', temp))
        return FALSE;
    DeleteQuietly(temp);  // left by an install that was cut short
    if (!::CopyFileA(source, temp, FALSE) || !FlushToDisk(temp)) {
        DeleteQuietly(temp);
        return FALSE;
    }
    // a read-only file (as copied from a CD) is replaced too, and stays so if it is not
    DWORD attributes = ::GetFileAttributesA(target);
    BOOL readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        ::SetFileAttributesA(target, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (MoveReplacing(temp, target))
        return TRUE;
    DWORD error = ::GetLastError();
    if (readOnly)
        ::SetFileAttributesA(target, attributes);
    DeleteQuietly(temp);
    ::SetLastError(error);
    return FALSE;
}

// TRUE when nt (an entry of the list of renames at restart: "\\??\\" and the path, the target
// of a replacing rename after a '!') names path.
static BOOL NamesPath(const char *nt, const char *path)
{
    if (*nt == '!')
        nt++;
    return strncmp(nt, "\\??\\", 4) == 0 && lstrcmpiA(nt + 4, path) == 0;
}

// TRUE when Windows already has the rename of temp to target on its list for the next start.
static BOOL RenameAtRestartListed(const char *temp, const char *target)
{
    TRegist reg(HKEY_LOCAL_MACHINE);
    DWORD size = reg.OpenKey(KEY_SESSION_MANAGER) ? reg.GetData(VALUE_PENDING_RENAMES, NULL, 0) : 0;
    char *list = size ? (char *)malloc(size + 2) : NULL;
    BOOL listed = FALSE;
    if (list && reg.GetData(VALUE_PENDING_RENAMES, list, size) == size) {
        list[size] = list[size + 1] = 0;
        // pairs of strings, the second empty for a delete; bounded by the size, not by "\0\0"
        for (char *from = list; from < list + size && !listed;) {
            char *to = from + strlen(from) + 1;
            listed = to < list + size && NamesPath(from, temp) && NamesPath(to, target);
            from = to + strlen(to) + 1;
        }
    }
    free(list);
    return listed;
}

BOOL CopyAtRestart(const char *source, const char *target)
{
    char temp[MAX_PATH];
    MoveFileExFunc moveEx = MoveFileExOrNone();
    if (!moveEx || !SiblingPath(target, '~', temp))
        return FALSE;
    BOOL listed = RenameAtRestartListed(temp, target);
    DeleteQuietly(temp);
    if (::CopyFileA(source, temp, FALSE) && FlushToDisk(temp) &&
        (listed || moveEx(temp, target, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)))
        return TRUE;
    DeleteQuietly(temp);
    return FALSE;
}
