// The shell's folder browser, with buttons to create a folder under the selection or remove it.
#include "browsefolder.h"
#include "paths.h"
#include "resource.h"
#include "tapp.h"
#include "texts.h"
#include "tstr.h"
#include "ttext.h"

#include <string.h>

void BrowseFolder(TWin *owner, int editId, const char *title)
{
    char path[MAX_PATH];
    owner->GetDlgItemText(editId, path, sizeof(path));
    IMalloc *shellMalloc;
    if (FAILED(::SHGetMalloc(&shellMalloc)))
        return;

    TBrowseHook hook;
    hook.pathBuf = path;
    for (;;) {
        LPITEMIDLIST item = BrowseForFolderT(owner->hWnd, title, BIF_RETURNONLYFSDIRS, BrowseCallback, (LPARAM)&hook);
        if (item) {
            if (PathOfItem(item, path))
                owner->SetDlgItemText(editId, path);
            shellMalloc->Free(item);
            break;
        }
        // the browser cannot refresh its tree: after a create or delete it was closed, reopen it
        if (!hook.changed)
            break;
    }
    shellMalloc->Release();
}

int CALLBACK BrowseCallback(HWND browser, UINT msg, LPARAM lParam, LPARAM data)
{
    TBrowseHook *hook = (TBrowseHook *)data;
    if (msg == BFFM_INITIALIZED)
        hook->AttachWindow(browser);
    else if (msg == BFFM_SELCHANGED && hook->hWnd && !hook->changed)
        hook->StoreSelection((LPCITEMIDLIST)lParam);  // not while a closing browser empties its tree
    return 0;
}

static const int SELECT_ATTEMPTS = 3;

TBrowseHook::TBrowseHook() : pathBuf(NULL), changed(FALSE), selected(FALSE), hasPath(TRUE)
{
    buttons[0] = buttons[1] = NULL;
}

BOOL TBrowseHook::AttachWindow(HWND browser)
{
    BOOL attached = TSubclassWin::AttachWindow(browser);
    changed = FALSE;
    hasPath = TRUE;
    buttons[0] = buttons[1] = NULL;
    DWORD attributes = ::GetFileAttributesA(pathBuf);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        ParentDirOf(pathBuf, pathBuf);
    // a browser that has not listed its drives yet may miss the path: ask again then
    selected = FALSE;
    for (int attempt = 0; attempt < SELECT_ATTEMPTS && !selected; attempt++)
        SendMessage(BFFM_SETSELECTIONA, TRUE, (LPARAM)pathBuf);
    SetWindowText(TEXT_PRODUCT_NAME);
    AddButtons();
    return attached;
}

// Puts "new folder" and "delete" on the OK button's row, left of it, in its font.
void TBrowseHook::AddButtons()
{
    RECT ok;
    ::GetWindowRect(GetDlgItem(IDOK), &ok);
    POINT topLeft = {ok.left, ok.top};
    ::ScreenToClient(hWnd, &topLeft);
    int height = ok.bottom - ok.top;
    int width = (topLeft.x - 30) / 2;

    RECT left = {10, topLeft.y, 10 + width, topLeft.y + height};
    RECT right = {width + 18, topLeft.y, 2 * width + 18, topLeft.y + height};
    buttons[0] = CreateProgramWindow("BUTTON", TEXT_NEW_FOLDER, WS_CHILD | WS_VISIBLE, left, hWnd, IDC_BROWSE_NEW_FOLDER);
    buttons[1] = CreateProgramWindow("BUTTON", TEXT_DELETE, WS_CHILD | WS_VISIBLE, right, hWnd, IDC_BROWSE_DELETE);

    HFONT font = (HFONT)SendDlgItemMessage(IDOK, WM_GETFONT, 0, 0);
    if (font) {
        SendDlgItemMessage(IDC_BROWSE_NEW_FOLDER, WM_SETFONT, (WPARAM)font, 0);
        SendDlgItemMessage(IDC_BROWSE_DELETE, WM_SETFONT, (WPARAM)font, 0);
    }
    EnableButtons();
}

// Creating and deleting act on the highlighted folder only.
void TBrowseHook::EnableButtons()
{
    for (HWND button : buttons)
        if (button)
            ::EnableWindow(button, hasPath);
}

BOOL TBrowseHook::StoreSelection(LPCITEMIDLIST item)
{
    // an item without a file-system path (this computer, the network), or with one the system's
    // code page cannot hold, leaves the last good one, which is then no longer highlighted
    char path[MAX_PATH];
    hasPath = PathOfItem(item, path);
    EnableButtons();
    if (!hasPath)
        return FALSE;
    selected = TRUE;
    return BoundedCopy(pathBuf, MAX_PATH, path);
}

BOOL TBrowseHook::OnCommand(WORD, WORD id, HWND)
{
    if ((id == IDC_BROWSE_NEW_FOLDER || id == IDC_BROWSE_DELETE) && !hasPath)
        return TRUE;
    if (id == IDC_BROWSE_NEW_FOLDER)
        CreateFolder();
    else if (id == IDC_BROWSE_DELETE)
        DeleteFolder();
    else
        return FALSE;
    return TRUE;
}

// A name that stays one level below the selection: no separators, no "." or "..".
static BOOL IsPlainFolderName(const char *name)
{
    if (!name[0] || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return FALSE;
    for (const char *p = name; *p; p++) {
        if (::IsDBCSLeadByte((BYTE)*p) && p[1])
            p++;
        else if (*p == '\\' || *p == '/')
            return FALSE;
    }
    return TRUE;
}

void TBrowseHook::CreateFolder()
{
    char name[MAX_PATH] = "", newPath[MAX_PATH];
    TNewDirDlg ask(this, name);
    if (ask.RunModal() != 1)
        return;
    if (!IsPlainFolderName(name) || !JoinPath(newPath, pathBuf, name) || !::CreateDirectoryA(newPath, NULL))
        return;
    BoundedCopy(pathBuf, MAX_PATH, newPath);
    changed = TRUE;
    PostMessage(WM_CLOSE, 0, 0);
}

void TBrowseHook::DeleteFolder()
{
    if (!::RemoveDirectoryA(pathBuf))
        return;
    ParentDirOf(pathBuf, pathBuf);
    changed = TRUE;
    PostMessage(WM_CLOSE, 0, 0);
}

TNewDirDlg::TNewDirDlg(TWin *parentWin, char *name) : TDlg(IDD_NEW_FOLDER, parentWin), nameBuf(name)
{
}

BOOL TNewDirDlg::OnCommand(WORD, WORD id, HWND)
{
    if (id == IDOK) {
        GetDlgItemText(IDC_NEW_FOLDER_NAME, nameBuf, MAX_PATH);
        EndDialog(1);
    } else if (id == IDCANCEL) {
        EndDialog(0);
    } else {
        return FALSE;
    }
    return TRUE;
}
