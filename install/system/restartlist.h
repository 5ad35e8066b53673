// Windows' list of renames at its next start (PendingFileRenameOperations under the Session
// Manager's key): pairs of NT paths, "\??\C:\dir\from" then "!\??\C:\dir\to" (the '!' asks to
// replace an existing file; an empty second path deletes the first). An install lists there
// the copy it staged beside a program file in use, and takes its own pairs out again when a later
// run installs a newer file. Other programs' pairs pass through unchanged.
#ifndef RESTARTLIST_H
#define RESTARTLIST_H

#include <windows.h>

class TRestartList {
public:
    TRestartList();  // reads the list; an empty one when there is none
    TRestartList(const WCHAR *text, DWORD chars);  // a copy of text, chars wide characters
    ~TRestartList();

    // Which of the count full paths of staged the list renames to target: bit 1 << i for
    // staged[i]. 0 also when the list could not be read.
    int Listed(const char *target, const char *const *staged, int count) const;
    // Takes out every pair that renames one of staged to target and, with from, adds the pair
    // from -> target (replacing it) at the end. FALSE when memory or a path does not suffice;
    // the list is then as it was.
    BOOL Replace(const char *target, const char *const *staged, int count, const char *from);
    // The whole list in one write (the value deleted when no pair is left). FALSE, with the
    // registry's status as the last error, when it cannot be written.
    BOOL Write() const;

    const WCHAR *Text() const { return text; }
    DWORD Chars() const { return chars; }  // with the zero that ends the last string

private:
    WCHAR *text;  // owned; strings each ended by a zero, or NULL for none
    DWORD chars;
};

#endif
