// Registry helpers for tests: read, write, remove.
#include "regtools.h"

bool RegKeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string RegString(HKEY root, const std::string &path, const char *name, bool *exists)
{
    char buf[2048] = "";
    DWORD size = sizeof(buf) - 1;
    HKEY key;
    bool ok = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (ok) {
        ok = RegQueryValueExA(key, name, NULL, NULL, (BYTE *)buf, &size) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    if (exists)
        *exists = ok;
    return ok ? std::string(buf) : std::string();
}

bool RegPutString(HKEY root, const std::string &path, const char *name, const std::string &value)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)value.c_str(), value.size() + 1) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool RegMakeKey(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void RegRemoveTree(HKEY root, const std::string &path)
{
    RegDeleteTreeA(root, path.c_str());
    RegDeleteKeyA(root, path.c_str());
}

