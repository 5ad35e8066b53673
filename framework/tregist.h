// Registry key stack: keys opened one below the other under a predefined top key.
#ifndef TREGIST_H
#define TREGIST_H

#include <windows.h>

const int REGIST_MAX_KEYS = 30;

class TRegist {
public:
    explicit TRegist(HKEY topKey);
    ~TRegist();

    void SetTopKey(HKEY topKey);
    BOOL OpenAppKey(const char *maker, const char *app);
    BOOL OpenKey(const char *name, BOOL create = FALSE);
    BOOL CloseKey();

    // Every value and enumeration operation acts on the most recently opened key.
    BOOL GetString(const char *name, char *buf, int size);
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
