// Windows' list of renames at its next start, read and written as UTF-16: other programs'
// paths may hold letters that the system's code page lacks.
#include "restartlist.h"
#include "tregist.h"
#include "windowskeys.h"

#include <stdlib.h>
#include <string.h>

static const WCHAR NT_PREFIX[] = L"\\??\\";
static const DWORD NT_PREFIX_CHARS = 4;

// The length of the string at the start of s, within the list's end.
static DWORD LengthWithin(const WCHAR *s, const WCHAR *end)
{
    const WCHAR *p = s;
    while (p < end && *p)
        p++;
    return (DWORD)(p - s);
}

// The characters of the pairs at the start of text (count characters, the last one zero): the
// list ends at an empty first name, or at its end. A second name may be empty (a delete), as
// the zero that ends the list is taken by Windows where a first name precedes it.
static DWORD PairsLength(const WCHAR *text, DWORD count)
{
    const WCHAR *end = text + count, *p = text;
    while (p < end && *p) {
        p += LengthWithin(p, end) + 1;
        if (p < end)
            p += LengthWithin(p, end) + 1;
    }
    return (DWORD)((p < end ? p : end) - text);
}

// The pairs of count characters that text holds, a zero after them (a value written without
// its last zero gets it here).
static DWORD Taken(const WCHAR *text, DWORD count)
{
    return text ? PairsLength(text, count && text[count - 1] ? count + 1 : count) : 0;
}

TRestartList::TRestartList() : text(NULL), chars(0)
{
    TRegist reg(HKEY_LOCAL_MACHINE);
    DWORD size = reg.OpenKey(KEY_SESSION_MANAGER) ? reg.GetData(VALUE_PENDING_RENAMES, NULL, 0) : 0;
    text = size ? (WCHAR *)calloc(size / sizeof(WCHAR) + 1, sizeof(WCHAR)) : NULL;
    if (text && reg.GetData(VALUE_PENDING_RENAMES, text, size) == size)
        chars = Taken(text, size / sizeof(WCHAR));
}

TRestartList::TRestartList(const WCHAR *from, DWORD count) : text((WCHAR *)calloc(count + 1, sizeof(WCHAR))), chars(0)
{
    if (text)
        chars = Taken((WCHAR *)memcpy(text, from, count * sizeof(WCHAR)), count);
}

TRestartList::~TRestartList()
{
    free(text);
}

// TRUE when nt (an entry of the list, after the '!' of a replacing rename) names path.
static BOOL NamesPath(const WCHAR *nt, const WCHAR *path)
{
    if (*nt == '!')
        nt++;
    return wcsncmp(nt, NT_PREFIX, NT_PREFIX_CHARS) == 0 && lstrcmpiW(nt + NT_PREFIX_CHARS, path) == 0;
}

static BOOL Widen(const char *path, WCHAR *wide)
{
    return ::MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) != 0;
}

// The bit of the staged name that pair from -> to puts in place of target, or 0.
static int StagedBit(const WCHAR *from, const WCHAR *to, const WCHAR *target, const WCHAR (*staged)[MAX_PATH], int count)
{
    if (!NamesPath(to, target))
        return 0;
    for (int i = 0; i < count; i++)
        if (NamesPath(from, staged[i]))
            return 1 << i;
    return 0;
}

// Visits the list's pairs; a last string without its partner is passed with to NULL.
template <class Visit> static void EachPair(const WCHAR *text, DWORD chars, Visit visit)
{
    const WCHAR *end = text + chars;
    for (const WCHAR *from = text; text && from < end;) {
        const WCHAR *to = from + LengthWithin(from, end) + 1;
        if (to >= end) {
            visit(from, (const WCHAR *)NULL, (DWORD)(end - from));
            return;
        }
        const WCHAR *next = to + LengthWithin(to, end) + 1;
        visit(from, to, (DWORD)((next < end ? next : end) - from));
        from = next;
    }
}

static const int MAX_STAGED = 4;

int TRestartList::Listed(const char *target, const char *const *staged, int count) const
{
    WCHAR wideTarget[MAX_PATH], wideStaged[MAX_STAGED][MAX_PATH];
    if (count > MAX_STAGED || !Widen(target, wideTarget))
        return 0;
    for (int i = 0; i < count; i++)
        if (!Widen(staged[i], wideStaged[i]))
            return 0;
    int listed = 0;
    EachPair(text, chars, [&](const WCHAR *from, const WCHAR *to, DWORD) {
        listed |= to ? StagedBit(from, to, wideTarget, wideStaged, count) : 0;
    });
    return listed;
}

// Appends the NT form of path (wide), ended by a zero, at out; bang: the '!' of a replacement.
static WCHAR *AppendNtPath(WCHAR *out, BOOL bang, const WCHAR *path)
{
    if (bang)
        *out++ = '!';
    memcpy(out, NT_PREFIX, NT_PREFIX_CHARS * sizeof(WCHAR));
    out += NT_PREFIX_CHARS;
    DWORD len = (DWORD)wcslen(path) + 1;
    memcpy(out, path, len * sizeof(WCHAR));
    return out + len;
}

BOOL TRestartList::Replace(const char *target, const char *const *staged, int count, const char *from)
{
    WCHAR wideTarget[MAX_PATH], wideFrom[MAX_PATH], wideStaged[MAX_STAGED][MAX_PATH];
    BOOL fits = count <= MAX_STAGED && Widen(target, wideTarget) && (!from || Widen(from, wideFrom));
    for (int i = 0; fits && i < count; i++)
        fits = Widen(staged[i], wideStaged[i]);
    // a new pair takes two paths of MAX_PATH characters, their prefixes and ends
    WCHAR *edited = fits ? (WCHAR *)malloc((chars + 2 * (MAX_PATH + NT_PREFIX_CHARS + 2)) * sizeof(WCHAR)) : NULL;
    if (!edited)
        return FALSE;
    WCHAR *out = edited;
    EachPair(text, chars, [&](const WCHAR *pairFrom, const WCHAR *to, DWORD pairChars) {
        if (to && StagedBit(pairFrom, to, wideTarget, wideStaged, count))
            return;
        memcpy(out, pairFrom, pairChars * sizeof(WCHAR));
        out += pairChars;
    });
    if (from)
        out = AppendNtPath(AppendNtPath(out, FALSE, wideFrom), TRUE, wideTarget);
    free(text);
    text = edited;
    chars = (DWORD)(out - edited);
    return TRUE;
}

BOOL TRestartList::Write() const
{
    TRegist reg(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(KEY_SESSION_MANAGER))
        return FALSE;
    if (chars == 0)
        return reg.DeleteValue(VALUE_PENDING_RENAMES) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
    // a multi-string value ends with an empty string
    WCHAR *value = (WCHAR *)calloc(chars + 1, sizeof(WCHAR));
    BOOL written = value && (memcpy(value, text, chars * sizeof(WCHAR)),
                             reg.SetData(VALUE_PENDING_RENAMES, REG_MULTI_SZ, value, (chars + 1) * sizeof(WCHAR)));
    free(value);
    return written;
}
