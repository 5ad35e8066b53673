// The real setup.exe at work: the world it acts on, and a driver that uses it as a person does.
#ifndef WORLD_H
#define WORLD_H

#include "harness.h"
#include "resource.h"

#include <map>

// Made for one test and reset after it: a staged setup folder (qwill.exe, setup.exe,
// readme.txt, org\qwill.exe), an install folder's parent that is the default one
// (ProgramFilesDir), scratch Startup, Programs and Desktop folders in Shell Folders, the
// common ones of all users and the user's own, a recorder as the shell's open verb for folders,
// and a firewall that takes rules.
struct SetupWorld {
    explicit SetupWorld(const std::string &name);
    ~SetupWorld() { ResetPrefix(); }
    std::string InSetup(const char *name) const { return setupDir + "\\" + name; }
    std::string Installed(const char *name) const { return installDir + "\\" + name; }
    // A shortcut in a folder of all users (where a machine install links), or in the user's own.
    std::string Link(int folder, const char *name = "Qwill.lnk") const { return linkDirs[folder] + "\\" + name; }
    std::string UserLink(int folder, const char *name = "Qwill.lnk") const { return userLinkDirs[folder] + "\\" + name; }
    std::vector<std::string> Opened(int waitMs = 3000) const;  // the folders a "%1" handler got, as its argv[1]
    // What the stand-in messenger recorded at each start from folder: its arguments, its folder.
    std::vector<std::string> Starts(const std::string &folder) const;

    std::string root, setupDir, installDir, linkDirs[3], userLinkDirs[3];  // root: C:\qwilltest\<name>
};

// The rules of the test prefix's firewall (tests/helpers/firewall.cpp), each property a text:
// all of them, and one more put among them.
typedef std::map<std::string, std::string> FirewallRule;
std::vector<FirewallRule> FirewallRules();
void AddFirewallRule(const FirewallRule &rule);

struct BoxSeen {
    std::string text, caption;
    UINT style;  // its buttons and its icon
};

// A setup.exe process and its dialog, driven as a person would, every wait bounded.
struct SetupRun {
    ~SetupRun() { Finish(0); }
    bool Start(const std::string &cmdLine, bool waitForDialog = true, RunBy by = ADMINISTRATOR);  // until the dialog waits for input
    std::string Text(int id) { return TextOf(GetDlgItem(dialog, id)); }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog, id)); }
    bool Checked(int id, HWND parent = NULL) { return SendDlgItemMessageA(parent ? parent : dialog, id, BM_GETCHECK, 0, 0); }
    HWND Sheet() { return FindWindowExA(GetDlgItem(dialog, IDC_OPTION_AREA), NULL, "#32770", NULL); }
    int SheetResource() { return !Sheet() ? 0 : GetDlgItem(Sheet(), IDC_DEL_PUBKEY) ? IDD_UNINSTALL_NOTE : IDD_INSTALL_OPTIONS; }
    // Posted: a procedure must not hold up the driver.
    void Click(int id, HWND parent = NULL) { PostMessageA(GetDlgItem(parent ? parent : dialog, id), BM_CLICK, 0, 0); }
    void Key(int id, UINT vk, HWND parent = NULL) { PostMessageA(GetDlgItem(parent ? parent : dialog, id), WM_KEYDOWN, vk, 1); }
    bool NextBox(BoxSeen *seen, int answer);  // the next message box: read, then answered
    DWORD Finish(int timeoutMs = 20000) { return pi.hProcess ? EndProcess(&pi, timeoutMs) : 0; }

    HWND dialog = NULL;
    PROCESS_INFORMATION pi = {};
};

// Runs a command line to its end (30 s at most); shown tells whether a window appeared.
DWORD RunToEnd(const std::string &cmdLine, bool *shown = nullptr, RunBy by = ADMINISTRATOR);

#endif
