// What the desktop shell does for the program: its folders read from the registry, a folder
// opened, a program started through the shell's own process where this one is elevated.
#include "shell.h"
#include "automation.h"
#include "failure.h"
#include "rights.h"
#include "tregist.h"
#include "tstr.h"
#include "windowskeys.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include <string.h>

static const char *const USER_VALUES[SHELL_FOLDER_COUNT] = {"Startup", "Programs", "Desktop"};
static const char *const COMMON_VALUES[SHELL_FOLDER_COUNT] = {"Common Startup", "Common Programs", "Common Desktop"};

BOOL ReadShellFolder(BOOL common, ShellFolder which, char *folder)
{
    TRegist reg(common ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
    return reg.OpenKey(KEY_SHELL_FOLDERS) &&
           reg.GetString((common ? COMMON_VALUES : USER_VALUES)[which], folder, MAX_PATH) && folder[0];
}

const char *OpenFolderInShell(const char *folder, char *failure)
{
    // The shell tries program extensions on a name without one: handed "D:\Apps\Qwill" after
    // the folder was deleted by hand, it starts a D:\Apps\Qwill.exe planted beside it. Named
    // as a folder (the class), the path goes to the folder's open verb and nowhere else; a
    // closing separator would reach a "%1" handler as an escaped quote. It is only handed
    // over while the folder is there.
    DWORD attributes = ::GetFileAttributesA(folder);
    BOOL isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!isFolder)
        return "not there, not opened";
    SHELLEXECUTEINFOA open;
    memset(&open, 0, sizeof(open));
    open.cbSize = sizeof(open);
    open.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    open.lpClass = "Folder";
    open.lpFile = folder;
    open.nShow = SW_SHOW;
    return ::ShellExecuteExA(&open) ? "opened" : FailureText(::GetLastError(), failure, FAILURE_TEXT_SIZE);
}

// The interfaces on the way from the shell's window list to its dispatch object (defined here
// rather than taken from the uuid library, which brings every identifier it knows).
static const CLSID SHELL_WINDOWS_CLASS = {0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
static const IID SHELL_WINDOWS_IID = {0x85CB6900, 0x4D95, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85}};
static const IID SERVICE_PROVIDER_IID = {0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};
static const GUID TOP_LEVEL_BROWSER_SID = {0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};
static const IID SHELL_BROWSER_IID = {0x000214E2, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const IID DISPATCH_IID = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const IID FOLDER_VIEW_DUAL_IID = {0xE7A1AF80, 0x4D96, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85}};
static const IID SHELL_DISPATCH2_IID = {0xA4C6892C, 0x3BA9, 0x11D2, {0x9D, 0xEA, 0x00, 0xC0, 0x4F, 0xB1, 0x61, 0x62}};

template <class T> static void Release(T *&object)
{
    if (object)
        object->Release();
    object = NULL;
}

// A string argument for the shell's automation object; empty when it does not fit.
static VARIANT StringArgument(const char *text)
{
    WCHAR wide[MAX_PATH];
    VARIANT argument = {};
    if (!::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH))
        wide[0] = 0;
    argument.vt = VT_BSTR;
    argument.bstrVal = NewAutomationString(wide);
    return argument;
}

// The desktop shell's dispatch object: its window in the shell's window list (which the
// shell's own process serves), the browser behind it, the view it shows, and that view's
// automation object.
static IShellDispatch2 *DesktopShell()
{
    IShellWindows *windows = NULL;
    IDispatch *desktop = NULL, *background = NULL, *application = NULL;
    IServiceProvider *provider = NULL;
    IShellBrowser *browser = NULL;
    IShellView *view = NULL;
    IShellFolderViewDual *folderView = NULL;
    IShellDispatch2 *shell = NULL;
    VARIANT none = {};
    long window;
    if (SUCCEEDED(::CoCreateInstance(SHELL_WINDOWS_CLASS, NULL, CLSCTX_LOCAL_SERVER, SHELL_WINDOWS_IID, (void **)&windows)) &&
        windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop) == S_OK && desktop &&
        SUCCEEDED(desktop->QueryInterface(SERVICE_PROVIDER_IID, (void **)&provider)) &&
        SUCCEEDED(provider->QueryService(TOP_LEVEL_BROWSER_SID, SHELL_BROWSER_IID, (void **)&browser)) &&
        SUCCEEDED(browser->QueryActiveShellView(&view)) &&
        SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, DISPATCH_IID, (void **)&background)) &&
        SUCCEEDED(background->QueryInterface(FOLDER_VIEW_DUAL_IID, (void **)&folderView)) &&
        SUCCEEDED(folderView->get_Application(&application)))
        application->QueryInterface(SHELL_DISPATCH2_IID, (void **)&shell);
    Release(application);
    Release(folderView);
    Release(background);
    Release(view);
    Release(browser);
    Release(provider);
    Release(desktop);
    Release(windows);
    return shell;
}

static BOOL StartFromDesktopShell(const char *program, const char *folder)
{
    IShellDispatch2 *shell = DesktopShell();
    if (!shell)
        return FALSE;
    VARIANT file = StringArgument(program), args = StringArgument(""), dir = StringArgument(folder),
            verb = StringArgument("open"), show = {};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    BOOL started = file.bstrVal && SUCCEEDED(shell->ShellExecute(file.bstrVal, args, dir, verb, show));
    VARIANT *arguments[] = {&file, &args, &dir, &verb};
    for (VARIANT *argument : arguments)
        ClearVariant(argument);
    shell->Release();
    return started;
}

const char *StartProgram(const char *program, const char *folder, char *failure)
{
    if (ProcessIsElevated() && StartFromDesktopShell(program, folder))
        return "started by the desktop shell";
    char command[MAX_PATH + 2];
    BoundedFormat(command, sizeof(command), "\"%s\"", program);
    ::SetCurrentDirectoryA(folder);
    UINT started = ::WinExec(command, SW_SHOW);
    return started > 31 ? "started" : FailureText(started, failure, FAILURE_TEXT_SIZE);
}
