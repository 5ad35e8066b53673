// Starting the messenger: through the desktop shell's own process where this one is elevated.
#include "startmessenger.h"
#include "scope.h"
#include "setuplog.h"
#include "tstr.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

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
    VARIANT argument;
    ::VariantInit(&argument);
    if (!::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH))
        wide[0] = 0;
    argument.vt = VT_BSTR;
    argument.bstrVal = ::SysAllocString(wide);
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
    VARIANT none;
    ::VariantInit(&none);
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
            verb = StringArgument("open"), show;
    ::VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    BOOL started = file.bstrVal && SUCCEEDED(shell->ShellExecute(file.bstrVal, args, dir, verb, show));
    VARIANT *arguments[] = {&file, &args, &dir, &verb};
    for (VARIANT *argument : arguments)
        ::VariantClear(argument);
    shell->Release();
    return started;
}

void StartMessenger(const char *program, const char *folder, const char *why, RunContext *ctx)
{
    if (ProcessIsElevated() && StartFromDesktopShell(program, folder)) {
        LogStep(ctx, "start %s: started by the desktop shell, %s", program, why);
        return;
    }
    char command[MAX_PATH + 2];
    BoundedFormat(command, sizeof(command), "\"%s\"", program);
    ::SetCurrentDirectoryA(folder);
    UINT started = ::WinExec(command, SW_SHOW);
    char failure[FAILURE_TEXT_SIZE];
    LogStep(ctx, "start %s: %s, %s", program, started > 31 ? "started" : FailureText(started, failure, sizeof(failure)),
            why);
}
