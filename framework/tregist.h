// Registry key stack: keys opened one below the other under a predefined top key.
#ifndef TREGIST_H
#define TREGIST_H

#include <windows.h>

const int REGIST_MAX_KEYS = 30;

// A failed operation leaves the registry's status as the thread's last error.
class TRegist {
public:
    explicit TRegist(HKEY topKey);
    ~TRegist();

    void SetTopKey(HKEY topKey);
    BOOL OpenAppKey(const char *maker, const char *app);
    // Opens, or with create opens or makes, the key below the current one, with full access;
    // where that is denied (a standard user, the machine's keys), for reading.
    BOOL OpenKey(const char *name, BOOL create = FALSE);
    BOOL CloseKey();

    // Every value and enumeration operation acts on the most recently opened key.
    BOOL GetString(const char *name, char *buf, int size);
    // The bytes of a value as they are (texts in UTF-16): its size, and the bytes in buf when
    // they fit (buf may be NULL, to ask for the size). 0 when there is no such value.
    DWORD GetData(const char *name, void *buf, DWORD size);
    // Stores size bytes of data as they are, as a value of that type (texts in UTF-16).
    BOOL SetData(const char *name, DWORD type, const void *data, DWORD size);
    BOOL SetString(const char *name, const char *text);
    // A program text (ttext.h) that Windows shows to people, such as a display name.
    BOOL SetText(const char *name, const char *text);
    BOOL SetDword(const char *name, DWORD value);
    BOOL DeleteKey(const char *name);
    BOOL DeleteValue(const char *name);
    BOOL EnumKey(int index, char *buf, int size);
    BOOL EnumValue(int index, char *buf, int size, DWORD *type = NULL);
    BOOL DeleteTree(const char *name = NULL);

    int OpenKeyCount() const { return openCount; }

private:
    void CloseAll();
    HKEY CurrentKey() const { return openKeys[openCount - 1]; }

    HKEY topKey;
    int openCount;
    HKEY openKeys[REGIST_MAX_KEYS];
};

#endif
