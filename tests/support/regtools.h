// Registry helpers for tests: read, write, remove.
#ifndef REGTOOLS_H
#define REGTOOLS_H

#include <windows.h>
#include <string>

bool RegKeyExists(HKEY root, const std::string &path);
// The value's data as a string; *exists tells whether it was there.
std::string RegString(HKEY root, const std::string &path, const char *name, bool *exists = nullptr);
// Writes a string value (name NULL: the default value), making the key when missing.
bool RegPutString(HKEY root, const std::string &path, const char *name, const std::string &value);
bool RegMakeKey(HKEY root, const std::string &path);
void RegRemoveTree(HKEY root, const std::string &path);

#endif
