// Program texts to Windows as UTF-16 where the system has the wide calls, else as they are.
#include "ttext.h"
#include "tapp.h"
#include "tstr.h"
#include "tsystem.h"

#include <stdlib.h>
#include <string.h>

static BOOL wideCalls;
static UINT programCodePage = CP_ACP;

void ChooseTextCalls(UINT codePage)
{
    // Windows 95, 98 and Me have the wide calls only as stubs
    wideCalls = !IsWindows9x() && ::IsValidCodePage(codePage);
    programCodePage = wideCalls ? codePage : CP_ACP;
}

BOOL WideTextCalls()
{
    return wideCalls;
}

UINT ProgramCodePage()
{
    return programCodePage;
}

WCHAR *WideText(const char *text, UINT codePage)
{
    if (!text)
        return NULL;
    int chars = ::MultiByteToWideChar(codePage, 0, text, -1, NULL, 0);
    WCHAR *wide = chars > 0 ? (WCHAR *)malloc(chars * sizeof(WCHAR)) : NULL;
    if (wide && ::MultiByteToWideChar(codePage, 0, text, -1, wide, chars) != chars) {
        free(wide);
        return NULL;
    }
    return wide;
}

BOOL NarrowExactly(const WCHAR *wide, UINT codePage, char *buf, int size)
{
    int n = wide ? ::WideCharToMultiByte(codePage, 0, wide, -1, buf, size, NULL, NULL) : 0;
    BOOL exact = n > 0;
    if (exact && codePage != CP_UTF8) {
        WCHAR *back = WideText(buf, codePage);
        exact = back && lstrcmpW(back, wide) == 0;
        free(back);
    }
    if (!exact && size > 0)
        buf[0] = 0;
    return exact;
}

BOOL ConvertText(const char *text, UINT fromCodePage, UINT toCodePage, char *buf, int size)
{
    if (fromCodePage == toCodePage)
        return BoundedCopy(buf, size, text);
    WCHAR *wide = WideText(text, fromCodePage);
    BOOL converted = NarrowExactly(wide, toCodePage, buf, size);
    free(wide);
    return converted;
}

BOOL SystemTextAsProgramText(const char *text, char *buf, int size)
{
    // a character the program's code page lacks is better shown wrong than not at all
    return ConvertText(text, CP_ACP, programCodePage, buf, size) || BoundedCopy(buf, size, text);
}

BOOL TextFileBytes(const char *text, UINT codePage, char *buf, int size)
{
    if (!wideCalls)
        return BoundedCopy(buf, size, text);
    return ConvertText(text, codePage, CP_UTF8, buf, size);
}

const char *TextFileMark()
{
    return wideCalls ? "\xEF\xBB\xBF" : "";  // UTF-8's byte-order mark, for Notepad
}

int ShowMessageBox(HWND owner, const char *text, const char *caption, UINT style)
{
    if (!wideCalls)
        return ::MessageBoxA(owner, text, caption, style);
    WCHAR *wideText = WideText(text, programCodePage), *wideCaption = WideText(caption, programCodePage);
    int answer = ::MessageBoxW(owner, wideText, wideCaption, style);
    free(wideText);
    free(wideCaption);
    return answer;
}

BOOL SetProgramText(HWND wnd, const char *text)
{
    if (!wideCalls)
        return ::SetWindowTextA(wnd, text);
    WCHAR *wide = WideText(text, programCodePage);
    BOOL set = wide && ::SetWindowTextW(wnd, wide);
    free(wide);
    return set;
}

// The window's text in UTF-16, allocated; NULL when it has none or memory is short.
static WCHAR *WideWindowText(HWND wnd)
{
    int chars = ::GetWindowTextLengthW(wnd) + 1;
    WCHAR *wide = (WCHAR *)malloc(chars * sizeof(WCHAR));
    if (wide && ::GetWindowTextW(wnd, wide, chars) == 0)
        wide[0] = 0;
    return wide;
}

int GetProgramText(HWND wnd, char *buf, int size)
{
    if (!wideCalls)
        return ::GetWindowTextA(wnd, buf, size);
    WCHAR *wide = WideWindowText(wnd);
    int n = wide ? ::WideCharToMultiByte(programCodePage, 0, wide, -1, buf, size, NULL, NULL) : 0;
    free(wide);
    if (n <= 0) {
        if (size > 0)
            buf[0] = 0;
        return 0;
    }
    return n - 1;
}

UINT GetSystemText(HWND wnd, char *buf, int size)
{
    if (!wideCalls)
        return ::GetWindowTextA(wnd, buf, size);
    WCHAR *wide = WideWindowText(wnd);
    BOOL held = NarrowExactly(wide, CP_ACP, buf, size);
    free(wide);
    return held ? (UINT)strlen(buf) : 0;
}

HWND CreateProgramWindow(const char *className, const char *text, DWORD style, const RECT &place, HWND parent, int id)
{
    int width = place.right - place.left, height = place.bottom - place.top;
    if (!wideCalls)
        return ::CreateWindowExA(0, className, text, style, place.left, place.top, width, height, parent,
                                 (HMENU)(INT_PTR)id, appInstance, NULL);
    WCHAR *wideClass = WideText(className, CP_ACP), *wideText = WideText(text, programCodePage);
    HWND wnd = ::CreateWindowExW(0, wideClass, wideText, style, place.left, place.top, width, height, parent,
                                 (HMENU)(INT_PTR)id, appInstance, NULL);
    free(wideClass);
    free(wideText);
    return wnd;
}

// The modeless dialog's window, or the modal dialog's result. A resource given by name is
// named in the program's code page.
static INT_PTR MakeDialog(BOOL modal, HINSTANCE instance, LPCSTR resource, HWND owner, DLGPROC proc)
{
    if (!wideCalls)
        return modal ? ::DialogBoxParamA(instance, resource, owner, proc, 0)
                     : (INT_PTR)::CreateDialogParamA(instance, resource, owner, proc, 0);
    WCHAR *made = NULL;
    LPCWSTR wide = IS_INTRESOURCE(resource) ? (LPCWSTR)resource : (made = WideText(resource, programCodePage));
    INT_PTR result = modal ? ::DialogBoxParamW(instance, wide, owner, proc, 0)
                           : (INT_PTR)::CreateDialogParamW(instance, wide, owner, proc, 0);
    free(made);
    return result;
}

HWND CreateDialogT(HINSTANCE instance, LPCSTR resource, HWND owner, DLGPROC proc)
{
    return (HWND)MakeDialog(FALSE, instance, resource, owner, proc);
}

INT_PTR DialogBoxT(HINSTANCE instance, LPCSTR resource, HWND owner, DLGPROC proc)
{
    return MakeDialog(TRUE, instance, resource, owner, proc);
}

BOOL GetMessageT(MSG *msg)
{
    return wideCalls ? ::GetMessageW(msg, NULL, 0, 0) : ::GetMessageA(msg, NULL, 0, 0);
}

BOOL PeekMessageT(MSG *msg)
{
    return wideCalls ? ::PeekMessageW(msg, NULL, 0, 0, PM_REMOVE) : ::PeekMessageA(msg, NULL, 0, 0, PM_REMOVE);
}

LRESULT DispatchMessageT(const MSG *msg)
{
    return wideCalls ? ::DispatchMessageW(msg) : ::DispatchMessageA(msg);
}

BOOL IsDialogMessageT(HWND dialog, MSG *msg)
{
    return wideCalls ? ::IsDialogMessageW(dialog, msg) : ::IsDialogMessageA(dialog, msg);
}

LRESULT CallWindowProcT(WNDPROC proc, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return wideCalls ? ::CallWindowProcW(proc, wnd, msg, wParam, lParam) : ::CallWindowProcA(proc, wnd, msg, wParam, lParam);
}

WNDPROC SubclassWindowT(HWND wnd, WNDPROC proc)
{
    // a window subclassed by the ANSI call would get its texts through the system's code page
    if (wideCalls)
        return (WNDPROC)::SetWindowLongPtrW(wnd, GWLP_WNDPROC, (LONG_PTR)proc);
    return (WNDPROC)::SetWindowLongPtrA(wnd, GWLP_WNDPROC, (LONG_PTR)proc);
}

LPITEMIDLIST BrowseForFolderT(HWND owner, const char *title, UINT flags, BFFCALLBACK callback, LPARAM data)
{
    // the wide browser is looked up: the shell of Windows 95 may lack it
    typedef LPITEMIDLIST(WINAPI * BrowseWFunc)(BROWSEINFOW *);
    BrowseWFunc browseW = wideCalls ? FunctionOf<BrowseWFunc>("shell32.dll", "SHBrowseForFolderW") : NULL;
    // the display name is written also when the browser is cancelled: the caller never sees it
    if (!browseW) {
        char displayName[MAX_PATH];
        BROWSEINFOA info = {owner, NULL, displayName, title, flags, callback, data, 0};
        return ::SHBrowseForFolderA(&info);
    }
    WCHAR displayName[MAX_PATH];
    WCHAR *wideTitle = WideText(title, programCodePage);
    BROWSEINFOW info = {owner, NULL, displayName, wideTitle, flags, callback, data, 0};
    LPITEMIDLIST item = browseW(&info);
    free(wideTitle);
    return item;
}

BOOL PathOfItem(LPCITEMIDLIST item, char *path)
{
    typedef BOOL(WINAPI * PathWFunc)(LPCITEMIDLIST, LPWSTR);
    PathWFunc pathW = wideCalls ? FunctionOf<PathWFunc>("shell32.dll", "SHGetPathFromIDListW") : NULL;
    if (!pathW)
        return ::SHGetPathFromIDListA(item, path);
    WCHAR wide[MAX_PATH];
    return pathW(item, wide) && NarrowExactly(wide, CP_ACP, path, MAX_PATH);
}
