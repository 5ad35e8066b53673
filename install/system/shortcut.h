// Shortcut (.lnk) files through the shell's link object.
#ifndef SHORTCUT_H
#define SHORTCUT_H

#include <windows.h>

// Writes linkPath, a shortcut that starts target with args in target's folder.
BOOL CreateShortcut(const char *target, const char *linkPath, const char *args);

// Reads linkPath: its target in short form, its arguments and, when asked, the folder it
// starts in (MAX_PATH bytes each).
BOOL ReadShortcut(const char *linkPath, char *targetOut, char *argsOut, char *workDirOut = NULL);

// Deletes path and tells the shell that its folder changed. TRUE only when deleted.
BOOL DeleteAndNotify(const char *path);

// TRUE when linkPath is a shortcut to program (by the file it names, not the spelling); with
// plain, only one without arguments.
BOOL ShortcutStarts(const char *linkPath, const char *program, BOOL plain = FALSE);

// Deletes every shortcut in folder that starts a program named name (such as "qwill.exe")
// without arguments, except those that start keep (may be null). foundLinkOut (MAX_PATH bytes, may be null, may be folder
// itself) receives the last one's path. Returns the result of the last delete; FALSE when
// none was found.
BOOL PurgeProgramLinks(const char *folder, const char *name, char *foundLinkOut, const char *keep = NULL);

// TRUE when a shortcut in folder starts program, named name, without arguments.
BOOL FolderStarts(const char *folder, const char *name, const char *program);

#endif
