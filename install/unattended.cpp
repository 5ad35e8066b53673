// Unattended runs: a window object without a window stands in for the main dialog.
#include "unattended.h"
#include "folders.h"
#include "procedures.h"
#include "resource.h"
#include "setuplog.h"
#include "texts.h"
#include "tstr.h"
#include "twin.h"

#include <string.h>

// Serves the procedures' folder reads and answers their boxes as the user would by default:
// OK everywhere, except that the messenger is not started and a retry is not tried.
class TSilentHost : public TWin {
public:
    TSilentHost(const char *install, const char *setup, TSetupLog *stepLog)
        : installFolder(install), setupFolder(setup), log(stepLog)
    {
    }

    virtual UINT GetDlgItemText(int ctlId, char *buf, int size)
    {
        const char *text = ctlId == IDC_INSTALL_DIR ? installFolder : ctlId == IDC_SETUP_DIR ? setupFolder : "";
        if (!BoundedCopy(buf, size, text))
            return 0;
        return (UINT)strlen(buf);
    }

    virtual int MessageBox(const char *text, const char *caption, UINT style)
    {
        // the close question names the uninstaller: in the log it is what it asks
        log->TextLine("box: ", strcmp(text, TEXT_CLOSE_MESSENGER) == 0 ? "close the messenger?" : text);
        if ((style & MB_TYPEMASK) == MB_RETRYCANCEL || strcmp(text, TEXT_INSTALL_DONE) == 0)
            return IDCANCEL;
        return IDOK;
    }

private:
    const char *installFolder;
    const char *setupFolder;
    TSetupLog *log;
};

int RunUnattended(InstallCfg *cfg, const SetupSwitches *switches, TSetupLog *log)
{
    char setupFolder[MAX_PATH], installFolder[MAX_PATH];
    FindDefaultFolders(setupFolder, installFolder, ChooseScope((InstallScope)cfg->scope).scope);
    if (switches->folderGiven)
        BoundedCopy(installFolder, sizeof(installFolder), switches->folder);
    if (cfg->mode != SETUP_MODE_UNINSTALL)
        cfg->mode = switches->inPlace ? SETUP_MODE_INPLACE : SETUP_MODE_INSTALL;

    TSilentHost host(installFolder, setupFolder, log);
    RunContext ctx = {TRUE, log, EXIT_SETUP_OK};
    BOOL done = cfg->mode == SETUP_MODE_UNINSTALL ? RunUninstall(&host, cfg, &ctx) : RunInstall(&host, cfg, &ctx);
    // every stop names its reason; one that did not must still not look like success
    if (!done && ctx.exitCode == EXIT_SETUP_OK)
        ctx.exitCode = EXIT_NO_INSTALL_FOLDER;
    return ctx.exitCode;
}
