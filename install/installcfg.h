// The install configuration and the command line that sets it.
#ifndef INSTALLCFG_H
#define INSTALLCFG_H

enum SetupMode {
    SETUP_MODE_INSTALL = 0,
    SETUP_MODE_INPLACE = 1,
    SETUP_MODE_UNINSTALL = 2
};

const int DEFAULT_PORT = 2425;

struct InstallCfg {
    int mode;
    int port;
    int startupLink;
    int programsLink;
    int desktopLink;
    int delPubKey;
};

void InitInstallCfg(InstallCfg *cfg);

// Applies the command line to cfg: "/r" chooses uninstall, a positive number sets the port.
// The command line is split in place.
void ParseCommandLine(char *cmdLine, InstallCfg *cfg);

#endif
