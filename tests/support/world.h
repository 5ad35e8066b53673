// The world a setup run acts on, made for one test and taken down after it: a staged setup
// folder, an install folder's parent that is also the default one (ProgramFilesDir), scratch
// Startup/Programs/Desktop folders in the user's Shell Folders, and a recorder as the shell's
// open verb for folders. Taken down, the prefix is as it was (prefix.h).
#ifndef WORLD_H
#define WORLD_H

#include "regtools.h"

#include <string>
#include <vector>

class SetupWorld {
public:
    explicit SetupWorld(const std::string &name);
    ~SetupWorld();

    std::string root;         // C:\qwilltest\<name>
    std::string setupDir;     // staged: qwill.exe, setup.exe, readme.txt, org\qwill.exe
    std::string installDir;   // ...\Program Files\Qwill (its parent exists)
    std::string linkDirs[3];  // Startup, Programs, Desktop

    std::string InSetup(const char *name) const { return setupDir + "\\" + name; }
    std::string Installed(const char *name) const { return installDir + "\\" + name; }
    std::string Link(int folder, const char *name = "Qwill.lnk") const { return linkDirs[folder] + "\\" + name; }

    // Folders the shell was asked to open, as the recorder got them.
    std::vector<std::string> Opened(int waitMs = 3000) const;
    // What the stand-in messenger recorded in folder: command line, current folder, ...
    std::vector<std::string> Starts(const std::string &folder) const;
    // Points the user's Startup, Programs and Desktop folders at linkDirs.
    void PointShellFolders() const;
    // Closes every stand-in messenger window and waits for them to go.
    static void CloseMessengers();
};

std::vector<std::string> Lines(const std::string &text);

#endif
