// Copying a program file over an installed one.
#ifndef FILECOPY_H
#define FILECOPY_H

#include <windows.h>

// Copies source to target so that target is at every moment either the old file, as it was,
// or the whole new one: the copy goes to a file beside target (target's name with its last
// character replaced by '~') and is then put in place in one step. A read-only target is
// replaced too. On failure nothing of the copy is left behind. A name that Windows is to put
// in place of target at its next start is never written.
BOOL CopyReplacing(const char *source, const char *target);

// For a target that a running program holds: copies source to a file beside it (its name with
// the last character replaced by '1' or '2', whichever no earlier run has listed), writes it
// to the disk, and only then lists it in one step to replace target when Windows starts next,
// in place of what an earlier run listed. FALSE, with nothing of the copy left and the earlier
// run's replacement as it was, when that cannot be arranged. staged: MAX_PATH bytes, the copy.
BOOL CopyAtRestart(const char *source, const char *target, char *staged);

// The copy that Windows is to put in place of target at its next start (MAX_PATH bytes), by
// this program's runs (or the release before, whose copy was the '~' one). FALSE for none.
BOOL ListedAtRestart(const char *target, char *staged);

// After target was replaced: takes the replacement at restart of ListedAtRestart off Windows'
// list, since what was installed is newer, and deletes its copy (named in staged, MAX_PATH
// bytes). 0: there was none; 1: taken off; -1: it stays (the list cannot be written; the last
// error says why).
int DropReplacementAtRestart(const char *target, char *staged);

// Puts temp in place of target where the system cannot replace a file in one step: target is
// renamed aside first and put back if temp cannot take its place.
BOOL ReplaceByRenaming(const char *temp, const char *target);

#endif
