// Registry key stack over the "A" registry functions; every result is exactly TRUE or FALSE.
#include "tregist.h"
#include "tstr.h"
#include "ttext.h"

#include <stdlib.h>

static const int APP_KEY_PATH_SIZE = 100;
static const int TREE_NAME_SIZE = 512;  // a key name: 255 characters, of two bytes each in GBK

// ERROR_SUCCESS as TRUE; another status becomes the thread's last error, for whoever tells
// the failure.
static BOOL Succeeded(LONG status)
{
    if (status != ERROR_SUCCESS)
        ::SetLastError(status);
    return status == ERROR_SUCCESS;
}

TRegist::TRegist(HKEY top) : topKey(top), openCount(0)
{
}

TRegist::~TRegist()
{
    CloseAll();
}

void TRegist::CloseAll()
{
    while (openCount > 0)
        CloseKey();
}

void TRegist::SetTopKey(HKEY top)
{
    CloseAll();
    topKey = top;
}

BOOL TRegist::OpenAppKey(const char *maker, const char *app)
{
    CloseAll();
    topKey = HKEY_CURRENT_USER;
    char path[APP_KEY_PATH_SIZE];
    BOOL fits = (app && app[0]) ? BoundedFormat(path, sizeof(path), "software\\%s\\%s", maker, app)
                                : BoundedFormat(path, sizeof(path), "software\\%s", maker);
    if (!fits)
        return FALSE;
    return OpenKey(path, TRUE);
}

static LONG OpenOrCreate(HKEY parent, const char *name, BOOL create, REGSAM rights, HKEY *key)
{
    DWORD disposition;
    if (create)
        return ::RegCreateKeyExA(parent, name, 0, NULL, REG_OPTION_NON_VOLATILE, rights, NULL, key, &disposition);
    return ::RegOpenKeyExA(parent, name, 0, rights, key);
}

BOOL TRegist::OpenKey(const char *name, BOOL create)
{
    HKEY parentKey = openCount ? CurrentKey() : topKey;
    if (openCount >= REGIST_MAX_KEYS)
        return FALSE;
    LONG status = OpenOrCreate(parentKey, name, create, KEY_ALL_ACCESS, &openKeys[openCount]);
    // a standard user may read what he may not change: the machine's install
    if (status == ERROR_ACCESS_DENIED)
        status = OpenOrCreate(parentKey, name, create, KEY_READ, &openKeys[openCount]);
    if (!Succeeded(status))
        return FALSE;
    openCount++;
    return TRUE;
}

BOOL TRegist::CloseKey()
{
    if (openCount <= 0)
        return FALSE;
    ::RegCloseKey(openKeys[--openCount]);
    return TRUE;
}

BOOL TRegist::GetString(const char *name, char *buf, int size)
{
    if (openCount == 0 || !buf || size <= 0)
        return FALSE;
    DWORD type = REG_SZ;
    DWORD len = size;
    if (::RegQueryValueExA(CurrentKey(), name, NULL, &type, (BYTE *)buf, &len) != ERROR_SUCCESS) {
        LONG fallbackLen = size;
        if (::RegQueryValueA(CurrentKey(), name, buf, &fallbackLen) != ERROR_SUCCESS)
            return FALSE;
        len = fallbackLen;
    }
    // data stored without a terminator get one; data that leave no room for it do not fit
    if (len > 0 && len <= (DWORD)size && buf[len - 1] == 0)
        return TRUE;
    if (len < (DWORD)size) {
        buf[len] = 0;
        return TRUE;
    }
    buf[0] = 0;
    return FALSE;
}

DWORD TRegist::GetData(const char *name, void *buf, DWORD size)
{
    WCHAR *wideName = openCount ? WideText(name, CP_ACP) : NULL;
    LONG status = wideName ? ::RegQueryValueExW(CurrentKey(), wideName, NULL, NULL, (BYTE *)buf, &size) : ERROR_INVALID_HANDLE;
    free(wideName);
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA ? size : 0;
}

BOOL TRegist::SetData(const char *name, DWORD type, const void *data, DWORD size)
{
    WCHAR *wideName = openCount ? WideText(name, CP_ACP) : NULL;
    BOOL set = wideName && Succeeded(::RegSetValueExW(CurrentKey(), wideName, 0, type, (const BYTE *)data, size));
    free(wideName);
    return set;
}

BOOL TRegist::SetString(const char *name, const char *text)
{
    if (openCount == 0)
        return FALSE;
    return Succeeded(::RegSetValueExA(CurrentKey(), name, 0, REG_SZ, (const BYTE *)text, lstrlenA(text) + 1));
}

BOOL TRegist::SetText(const char *name, const char *text)
{
    if (openCount == 0 || !WideTextCalls())
        return SetString(name, text);
    WCHAR *wideName = WideText(name, CP_ACP), *wideText = WideText(text, ProgramCodePage());
    BOOL set = wideText && Succeeded(::RegSetValueExW(CurrentKey(), wideName, 0, REG_SZ, (const BYTE *)wideText,
                                                      (lstrlenW(wideText) + 1) * sizeof(WCHAR)));
    free(wideName);
    free(wideText);
    return set;
}

BOOL TRegist::SetDword(const char *name, DWORD value)
{
    if (openCount == 0)
        return FALSE;
    return Succeeded(::RegSetValueExA(CurrentKey(), name, 0, REG_DWORD, (const BYTE *)&value, sizeof(value)));
}

BOOL TRegist::DeleteKey(const char *name)
{
    if (openCount == 0)
        return FALSE;
    return Succeeded(::RegDeleteKeyA(CurrentKey(), name));
}

BOOL TRegist::DeleteValue(const char *name)
{
    if (openCount == 0)
        return FALSE;
    return Succeeded(::RegDeleteValueA(CurrentKey(), name));
}

BOOL TRegist::EnumKey(int index, char *buf, int size)
{
    if (openCount == 0)
        return FALSE;
    DWORD len = size;
    return ::RegEnumKeyExA(CurrentKey(), index, buf, &len, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

BOOL TRegist::EnumValue(int index, char *buf, int size, DWORD *type)
{
    if (openCount == 0)
        return FALSE;
    DWORD len = size;
    return ::RegEnumValueA(CurrentKey(), index, buf, &len, NULL, type, NULL, NULL) == ERROR_SUCCESS;
}

BOOL TRegist::DeleteTree(const char *name)
{
    BOOL result = TRUE;
    char child[TREE_NAME_SIZE];

    if (name && !OpenKey(name))
        return FALSE;

    // each pass removes the subkey it found, so the index stays 0
    while (EnumKey(0, child, sizeof(child))) {
        result = DeleteTree(child);
        if (!result)
            break;
    }

    if (name) {
        CloseKey();
        return (DeleteKey(name) && result) ? TRUE : FALSE;
    }

    while (EnumValue(0, child, sizeof(child))) {
        if (!DeleteValue(child))
            return FALSE;
    }
    return result;
}
