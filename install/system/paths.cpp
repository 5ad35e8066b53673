// Path functions; a trail byte equal to '\' is never taken for a separator.
#include "paths.h"
#include "tstr.h"

#include <string.h>

static const int FULL_PATH_SIZE = 1024;

// Does dir end in a backslash that is a character of its own?
static BOOL EndsInSeparator(const char *dir, size_t len)
{
    if (dir[len - 1] != '\\')
        return FALSE;
    if (len >= 2 && !::IsDBCSLeadByte((BYTE)dir[len - 2]))
        return TRUE;
    // the byte before may be a lead byte or a trail byte: walk the characters from the start
    const char *last = dir;
    for (const char *p = dir; *p; p++) {
        last = p;
        if (::IsDBCSLeadByte((BYTE)*p) && p[1])
            p++;
    }
    return last == dir + len - 1;
}

BOOL JoinPath(char *out, const char *dir, const char *name)
{
    size_t len = strlen(dir);
    if (len == 0)
        return BoundedCopy(out, MAX_PATH, name);
    const char *separator = EndsInSeparator(dir, len) ? "" : "\\";
    return BoundedFormat(out, MAX_PATH, "%s%s%s", dir, separator, name);
}

BOOL ParentDirOf(const char *path, char *out)
{
    char full[FULL_PATH_SIZE];
    char *filePart = NULL;
    DWORD len = ::GetFullPathNameA(path, sizeof(full), full, &filePart);
    if (len == 0 || len >= sizeof(full) || !filePart || !*filePart) {
        if (path != out)
            BoundedCopy(out, MAX_PATH, path);
        return FALSE;
    }
    if (filePart - full > 3 || full[1] != ':')
        filePart[-1] = 0;  // C:\dir\file -> C:\dir, \\server\share\file -> \\server\share
    else
        filePart[0] = 0;   // C:\file -> C:\ keeps the root's separator
    if (!BoundedCopy(out, MAX_PATH, full))
        return FALSE;
    return TRUE;
}

BOOL IsFullPath(const char *path)
{
    BOOL drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':' &&
                 path[2] == '\\';
    BOOL unc = path[0] == '\\' && path[1] == '\\' && path[2] && path[2] != '\\';
    return drive || unc;
}

UINT DriveTypeOfPath(const char *path)
{
    if (!path)
        return ::GetDriveTypeA(NULL);
    if (path[0] == '\\' && path[1] == '\\')
        return DRIVE_REMOTE;

    // only the root matters, so a path cut to the buffer keeps its answer
    char root[MAX_PATH];
    lstrcpynA(root, path, sizeof(root));
    size_t len = strlen(root);
    for (int guard = 0; guard < MAX_PATH; guard++) {
        ParentDirOf(root, root);
        size_t now = strlen(root);
        if (now == len)
            break;
        len = now;
    }
    return ::GetDriveTypeA(root);
}

BOOL SameFile(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    const char *paths[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        // no access asked for: a file that another program holds open is still looked at
        HANDLE file = ::CreateFileA(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return FALSE;
        BOOL known = ::GetFileInformationByHandle(file, &info[i]);
        ::CloseHandle(file);
        if (!known)
            return FALSE;
    }
    // a file system without file numbers gives 0 for every file: that says nothing
    return (info[0].nFileIndexHigh | info[0].nFileIndexLow) && info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow && info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileSizeLow == info[1].nFileSizeLow;
}

static signed char UpperAscii(char c)
{
    return (signed char)((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
}

int StrNCaseCmp(const char *a, const char *b, int n)
{
    for (int i = 0; i < n; i++) {
        signed char ca = UpperAscii(a[i]), cb = UpperAscii(b[i]);
        if (ca != cb)
            return ca > cb ? 1 : -1;
        if (ca == 0)
            return 0;
    }
    return 0;
}

BOOL EnsureFolder(const char *folder)
{
    ::CreateDirectoryA(folder, NULL);  // it may exist already
    DWORD attributes = ::GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL SizeOfFile(const char *path, ULONGLONG *size)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return FALSE;
    ::FindClose(find);
    *size = ((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    return TRUE;
}
