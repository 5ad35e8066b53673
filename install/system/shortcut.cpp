// Shortcut files: create, read, delete with notification, purge the links to a program.
#include "shortcut.h"
#include "paths.h"
#include "tstr.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>


// The shell link object and its two interfaces (defined here rather than taken from the
// uuid library, which brings every identifier it knows).
static const CLSID SHELL_LINK_CLASS = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const IID SHELL_LINK_A_IID = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const IID PERSIST_FILE_IID = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The link object and its file interface, released together.
class TShellLink {
public:
    TShellLink() : link(NULL), file(NULL)
    {
        if (SUCCEEDED(::CoCreateInstance(SHELL_LINK_CLASS, NULL, CLSCTX_INPROC_SERVER, SHELL_LINK_A_IID,
                                         (void **)&link)))
            link->QueryInterface(PERSIST_FILE_IID, (void **)&file);
    }
    ~TShellLink()
    {
        if (file)
            file->Release();
        if (link)
            link->Release();
    }
    BOOL Ready() const { return file != NULL; }

    IShellLinkA *link;
    IPersistFile *file;
};

static BOOL ToWide(const char *path, WCHAR *wide)
{
    return ::MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) != 0;
}

static void NotifyFolderChanged(const char *path)
{
    char folder[MAX_PATH];
    ParentDirOf(path, folder);
    ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, folder, NULL);
}

BOOL CreateShortcut(const char *target, const char *linkPath, const char *args)
{
    TShellLink shell;
    if (!shell.Ready())
        return FALSE;
    char workDir[MAX_PATH];
    ParentDirOf(target, workDir);
    shell.link->SetPath(target);
    shell.link->SetArguments(args);
    shell.link->SetWorkingDirectory(workDir);

    WCHAR wide[MAX_PATH];
    if (!ToWide(linkPath, wide) || FAILED(shell.file->Save(wide, TRUE)))
        return FALSE;
    NotifyFolderChanged(linkPath);
    return TRUE;
}

BOOL ReadShortcut(const char *linkPath, char *targetOut, char *argsOut, char *workDirOut)
{
    TShellLink shell;
    WCHAR wide[MAX_PATH];
    if (!shell.Ready() || !ToWide(linkPath, wide) || FAILED(shell.file->Load(wide, STGM_READ)))
        return FALSE;
    if (FAILED(shell.link->GetPath(targetOut, MAX_PATH, NULL, SLGP_SHORTPATH)))
        return FALSE;
    shell.link->GetArguments(argsOut, MAX_PATH);
    if (workDirOut)
        shell.link->GetWorkingDirectory(workDirOut, MAX_PATH);
    return TRUE;
}

BOOL DeleteAndNotify(const char *path)
{
    if (::DeleteFileA(path) != 1)
        return FALSE;
    NotifyFolderChanged(path);
    return TRUE;
}

// TRUE when target ends in name and the shortcut has no arguments.
static BOOL StartsPlainly(const char *target, const char *args, const char *name)
{
    int nameLen = (int)strlen(name), len = (int)strlen(target);
    return args[0] == 0 && len > nameLen && StrNCaseCmp(target + len - nameLen, name, nameLen) == 0;
}

BOOL ShortcutStarts(const char *linkPath, const char *program, BOOL plain)
{
    char target[MAX_PATH], args[MAX_PATH];
    return program && ReadShortcut(linkPath, target, args) && (!plain || !args[0]) && SameFile(target, program);
}

// The shortcuts in folder that start a program named name without arguments, except those that start
// keep, or only those that start only (either may be null): with del, each is deleted, else the
// search ends at the first. found (MAX_PATH bytes, may be null, may be folder itself) receives
// the last one's path. TRUE when one was found and, with del, the last delete succeeded.
static BOOL VisitProgramLinks(const char *folderIn, const char *name, char *found, const char *keep, const char *only,
                              BOOL del)
{
    char folder[MAX_PATH], pattern[MAX_PATH];
    if (!BoundedCopy(folder, sizeof(folder), folderIn) ||
        !BoundedFormat(pattern, sizeof(pattern), "%s\\*.*", folder))
        return FALSE;

    WIN32_FIND_DATAA entryFound;
    HANDLE find = ::FindFirstFileA(pattern, &entryFound);
    if (find == INVALID_HANDLE_VALUE)
        return FALSE;

    BOOL result = FALSE;
    do {
        char entry[MAX_PATH], target[MAX_PATH] = "", args[MAX_PATH] = "";
        // an entry whose path does not fit is skipped, never cut into another name
        if (!BoundedFormat(entry, sizeof(entry), "%s\\%s", folder, entryFound.cFileName))
            continue;
        if (!ReadShortcut(entry, target, args) || !StartsPlainly(target, args, name) || (keep && SameFile(target, keep)) ||
            (only && !SameFile(target, only)))
            continue;
        result = del ? ::DeleteFileA(entry) : TRUE;
        if (found)
            BoundedCopy(found, MAX_PATH, entry);
    } while ((del || !result) && ::FindNextFileA(find, &entryFound));
    ::FindClose(find);
    return result;
}

BOOL PurgeProgramLinks(const char *folder, const char *name, char *foundLinkOut, const char *keep)
{
    return VisitProgramLinks(folder, name, foundLinkOut, keep, NULL, TRUE);
}

BOOL FolderStarts(const char *folder, const char *name, const char *program)
{
    return VisitProgramLinks(folder, name, NULL, NULL, program, FALSE);
}
