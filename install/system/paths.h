// Path functions for ANSI paths that may hold double-byte (GBK) characters, and the files and
// folders they name.
// Every output buffer holds MAX_PATH bytes; a result that does not fit is a failure.
#ifndef PATHS_H
#define PATHS_H

#include <windows.h>

// out = dir + separator when needed + name. On overflow out is "" and FALSE is returned.
BOOL JoinPath(char *out, const char *dir, const char *name);

// out = the folder that holds path (path and out may be the same buffer). FALSE when out
// got path unchanged (unresolvable, no file part), or "" when even that does not fit.
BOOL ParentDirOf(const char *path, char *out);

// A drive letter with its root (C:\...) or a UNC path (\\server\...): a relative path would
// be taken from the current folder, and mean another place from every other folder.
BOOL IsFullPath(const char *path);

// GetDriveTypeA of the root of path; UNC paths are remote without asking the system.
UINT DriveTypeOfPath(const char *path);

// TRUE when both paths name one existing file or folder, as the file system tells, whatever
// their spelling (letter case, short names, another drive letter).
BOOL SameFile(const char *a, const char *b);

// Makes folder unless it is there; TRUE when it is there as a folder.
BOOL EnsureFolder(const char *folder);

// The size of a file, through the calls every Windows version has. FALSE when it is not there.
BOOL SizeOfFile(const char *path, ULONGLONG *size);

// Compares at most n bytes with ASCII letters folded to upper case; 0 means equal.
int StrNCaseCmp(const char *a, const char *b, int n);

#endif
