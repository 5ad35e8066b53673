// Registry helpers for tests: read, write, and put a key back as it was.
#ifndef REGTOOLS_H
#define REGTOOLS_H

#include <windows.h>
#include <string>

bool RegKeyExists(HKEY root, const std::string &path);
// The value's data as a string; *exists tells whether it was there.
std::string RegString(HKEY root, const std::string &path, const char *name, bool *exists = nullptr);
bool RegPutString(HKEY root, const std::string &path, const char *name, const std::string &value);
void RegRemoveTree(HKEY root, const std::string &path);

// Copies a key tree aside and puts it back (as it was, or absent) when destroyed.
class RegBackup {
public:
    RegBackup(HKEY root, const std::string &path);
    ~RegBackup();
private:
    HKEY root;
    std::string path, saved;
    bool existed;
};

#endif
