// Copying a program file over an installed one without losing the old one on failure.
#include "filecopy.h"
#include "restartlist.h"
#include "tstr.h"
#include "tsystem.h"

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
    return FunctionOf<MoveFileExFunc>("kernel32.dll", "MoveFileExA");
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

// The names beside target that may stand for it in Windows' list of renames at restart: the
// two of this program's runs ('1', '2') and the one of the release before ('~'). names:
// STAGED_COUNT paths of MAX_PATH bytes. FALSE when target has no such names.
static const char STAGED_MARKS[] = "12~";
static const int STAGED_COUNT = 3;
static const int LEGACY_STAGED = 1 << 2;

static BOOL StagedNames(const char *target, char (*names)[MAX_PATH], const char **pointers)
{
    for (int i = 0; i < STAGED_COUNT; i++) {
        pointers[i] = names[i];
        if (!SiblingPath(target, STAGED_MARKS[i], names[i]))
            return FALSE;
    }
    return TRUE;
}

BOOL CopyReplacing(const char *source, const char *target)
{
    char temp[MAX_PATH], names[STAGED_COUNT][MAX_PATH];
    const char *staged[STAGED_COUNT];
    if (!SiblingPath(target, '~', temp) || !StagedNames(target, names, staged))
        return FALSE;
    // the release before listed its '~' copy for the restart: a copy written there now would
    // take target's place at the restart however far it got; one of the others is free then
    TRestartList list;
    int listed = list.Listed(target, staged, STAGED_COUNT);
    if (listed & LEGACY_STAGED)
        BoundedCopy(temp, sizeof(temp), names[listed & 1 ? 1 : 0]);
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

BOOL CopyAtRestart(const char *source, const char *target, char *stagedOut)
{
    char names[STAGED_COUNT][MAX_PATH];
    const char *staged[STAGED_COUNT];
    if (!StagedNames(target, names, staged))
        return FALSE;
    TRestartList list;
    int listed = list.Listed(target, staged, STAGED_COUNT);
    // the copy goes where no listed rename points: a run cut short leaves a copy nobody lists
    int slot = !(listed & 1) ? 0 : !(listed & 2) ? 1 : -1;
    if (slot < 0) {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    BoundedCopy(stagedOut, MAX_PATH, names[slot]);
    DeleteQuietly(stagedOut);
    if (!::CopyFileA(source, stagedOut, FALSE) || !FlushToDisk(stagedOut) ||
        !list.Replace(target, staged, STAGED_COUNT, stagedOut) || !list.Write()) {
        DeleteQuietly(stagedOut);
        return FALSE;
    }
    // what the earlier runs listed is no longer listed
    for (int i = 0; i < STAGED_COUNT; i++)
        if (listed & (1 << i))
            DeleteQuietly(names[i]);
    return TRUE;
}

BOOL ListedAtRestart(const char *target, char *stagedOut)
{
    char names[STAGED_COUNT][MAX_PATH];
    const char *staged[STAGED_COUNT];
    int listed = StagedNames(target, names, staged) ? TRestartList().Listed(target, staged, STAGED_COUNT) : 0;
    for (int i = 0; i < STAGED_COUNT; i++)
        if (listed & (1 << i))
            return BoundedCopy(stagedOut, MAX_PATH, names[i]);
    return FALSE;
}

int DropReplacementAtRestart(const char *target, char *stagedOut)
{
    char names[STAGED_COUNT][MAX_PATH];
    const char *staged[STAGED_COUNT];
    if (!StagedNames(target, names, staged))
        return 0;
    TRestartList list;
    int listed = list.Listed(target, staged, STAGED_COUNT);
    if (!listed)
        return 0;
    BoundedCopy(stagedOut, MAX_PATH, names[listed & 1 ? 0 : listed & 2 ? 1 : 2]);
    if (!list.Replace(target, staged, STAGED_COUNT, NULL) || !list.Write())
        return -1;
    for (int i = 0; i < STAGED_COUNT; i++)
        if (listed & (1 << i))
            DeleteQuietly(names[i]);
    return 1;
}
