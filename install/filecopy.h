// Copying a program file over an installed one.
#ifndef FILECOPY_H
#define FILECOPY_H

#include <windows.h>

// Copies source to target so that target is at every moment either the old file, as it was,
// or the whole new one: the copy goes to a file beside target (target's name with its last
// character replaced by '~') and is then put in place in one step. A read-only target is
// replaced too. On failure nothing of the copy is left behind.
BOOL CopyReplacing(const char *source, const char *target);

// For a target that a running program holds: copies source beside it (the name CopyReplacing
// uses) and has Windows put the copy in place at its next start, once per target however
// often it is asked. FALSE, with nothing of the copy left, when that cannot be arranged.
BOOL CopyAtRestart(const char *source, const char *target);

// Puts temp in place of target where the system cannot replace a file in one step: target is
// renamed aside first and put back if temp cannot take its place.
BOOL ReplaceByRenaming(const char *temp, const char *target);

#endif
