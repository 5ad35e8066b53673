// Unattended runs: a window object without a window stands in for the main dialog.
#include "unattended.h"
#include "folders.h"
#include "procedures.h"
#include "resource.h"
#include "tstr.h"
#include "twin.h"

#include <string.h>

// Serves the procedures' folder reads; their questions are answered by what they ask (Ask).
class TSilentHost : public TWin {
public:
    TSilentHost(const char *install, const char *setup) : installFolder(install), setupFolder(setup)
    {
    }

    virtual UINT GetDlgItemText(int ctlId, char *buf, int size)
    {
        const char *text = ctlId == IDC_INSTALL_DIR ? installFolder : ctlId == IDC_SETUP_DIR ? setupFolder : "";
        if (!BoundedCopy(buf, size, text))
            return 0;
        return (UINT)strlen(buf);
    }

private:
    const char *installFolder;
    const char *setupFolder;
};

int RunUnattended(InstallCfg *cfg, const SetupSwitches *switches, TSetupLog *log)
{
    char setupFolder[MAX_PATH], installFolder[MAX_PATH];
    FindDefaultFolders(setupFolder, installFolder, ChooseScope((InstallScope)cfg->scope).scope);
    if (switches->folderGiven)
        BoundedCopy(installFolder, sizeof(installFolder), switches->folder);
    if (cfg->mode != SETUP_MODE_UNINSTALL)
        cfg->mode = switches->inPlace ? SETUP_MODE_INPLACE : SETUP_MODE_INSTALL;

    TSilentHost host(installFolder, setupFolder);
    RunContext ctx = {TRUE, log, EXIT_SETUP_OK};
    BOOL done = cfg->mode == SETUP_MODE_UNINSTALL ? RunUninstall(&host, cfg, &ctx) : RunInstall(&host, cfg, &ctx);
    // every stop names its reason; one that did not must still not look like success
    if (!done && ctx.exitCode == EXIT_SETUP_OK)
        ctx.exitCode = EXIT_NO_INSTALL_FOLDER;
    return ctx.exitCode;
}
