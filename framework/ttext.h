// How texts reach Windows. The program's own texts are in its code page (ChooseTextCalls);
// paths and what the user types are in the system's ANSI code page. On Windows NT, when the
// tables of the program's code page are there, program texts go to Windows as UTF-16, so
// that they read right whatever the system's code page; elsewhere through the ANSI calls.
// The choice is made once, when the application starts, and every caller goes through here.
#ifndef TTEXT_H
#define TTEXT_H

#include <windows.h>
#include <shlobj.h>

// Called once at the start with the code page of the program's texts. Until then, and
// where the wide calls are not used, program texts are taken as the system's.
void ChooseTextCalls(UINT programCodePage);
BOOL WideTextCalls();
UINT ProgramCodePage();

// text (in codePage) in UTF-16, allocated; free() it. NULL for no text or no memory.
WCHAR *WideText(const char *text, UINT codePage);
// wide in codePage into buf (size bytes); FALSE, and buf "", when it does not fit or does not
// come back the same (a character the code page lacks, or one it holds only as a look-alike).
BOOL NarrowExactly(const WCHAR *wide, UINT codePage, char *buf, int size);
// Converts text from one code page to another into buf (size bytes). FALSE when it does not
// fit or a character has no place in the target (buf is "" then).
BOOL ConvertText(const char *text, UINT fromCodePage, UINT toCodePage, char *buf, int size);
// A system text (a path) as a program text; a copy where the two are the same.
BOOL SystemTextAsProgramText(const char *text, char *buf, int size);
// A text in codePage as the bytes of a text file readable on any system: UTF-8 where the
// wide calls are in use, else unchanged. TextFileMark: what such a file starts with.
BOOL TextFileBytes(const char *text, UINT codePage, char *buf, int size);
const char *TextFileMark();

// Program texts to windows.
int ShowMessageBox(HWND owner, const char *text, const char *caption, UINT style);
BOOL SetProgramText(HWND wnd, const char *text);
int GetProgramText(HWND wnd, char *buf, int size);
HWND CreateProgramWindow(const char *className, const char *text, DWORD style, const RECT &place, HWND parent,
                         int id);
// A system text read from a control; 0 and "" when the system's code page cannot hold it.
UINT GetSystemText(HWND wnd, char *buf, int size);

// The calls whose A and W forms differ for windows made by the wide calls.
HWND CreateDialogT(HINSTANCE instance, LPCSTR resource, HWND owner, DLGPROC proc);
INT_PTR DialogBoxT(HINSTANCE instance, LPCSTR resource, HWND owner, DLGPROC proc);
BOOL GetMessageT(MSG *msg);
BOOL PeekMessageT(MSG *msg);
LRESULT DispatchMessageT(const MSG *msg);
BOOL IsDialogMessageT(HWND dialog, MSG *msg);
LRESULT CallWindowProcT(WNDPROC proc, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
WNDPROC SubclassWindowT(HWND wnd, WNDPROC proc);

// The shell's folder browser with a program-text title; the path is read from the result.
LPITEMIDLIST BrowseForFolderT(HWND owner, const char *title, UINT flags, BFFCALLBACK callback, LPARAM data);
// The file-system path of a shell item (MAX_PATH bytes), in the system's code page. FALSE when
// it has none, or, with the wide calls, when the code page cannot hold it exactly: the ANSI
// call would hand back look-alike letters, the name of another folder.
BOOL PathOfItem(LPCITEMIDLIST item, char *path);

#endif
