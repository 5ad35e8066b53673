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
    int scope;     // InstallScope (scope.h) asked for: "/allusers", "/peruser", or any
    int firewall;  // FirewallReach (firewall.h): "/firewall=lan" (also without it), "=any", "=off"
};

void InitInstallCfg(InstallCfg *cfg);

// Switches of unattended runs. Without "/s" only the log applies.
struct SetupSwitches {
    int silent;              // "/s": run the chosen procedure without the dialog or any box
    int inPlace;             // "/inplace": mode 1 in an unattended run
    int folderGiven;         // "/d=" was there (a folder too long for a path leaves folder "")
    char folder[260];        // "/d=FOLDER": the install folder of an unattended run
    int logGiven;            // "/log=" was there (an empty value, or one too long for a path, leaves logFile "")
    char logFile[260];       // "/log=FILE": the step log, or ""
    char unknown[64];        // the first word that starts with "/" and is no switch, or ""
};

// Reads the switches from a copy of the command line, and applies it to cfg as
// ParseCommandLine does.
void ParseSetupSwitches(const char *cmdLine, InstallCfg *cfg, SetupSwitches *switches);

// Applies the command line to cfg: "/r" chooses uninstall, a positive number sets the port,
// "/allusers" and "/peruser" the scope, "/firewall=" the reach of the firewall's rules.
// The command line is split in place into tokens; quotes keep separators in a token, and
// an unquoted "/d=" takes the rest of the line.
void ParseCommandLine(char *cmdLine, InstallCfg *cfg);

#endif
