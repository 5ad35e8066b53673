// Copying a program file over an installed one.
#ifndef FILECOPY_H
#define FILECOPY_H

#include <windows.h>

// Copies source to target so that target is at every moment either the old file, as it was,
// or the whole new one: the copy goes to a file beside target (target's name with its last
// character replaced by '~') and is then put in place in one step. A read-only target is
// replaced too. On failure nothing of the copy is left behind.
BOOL CopyReplacing(const char *source, const char *target);

// Puts temp in place of target where the system cannot replace a file in one step: target is
// renamed aside first and put back if temp cannot take its place.
BOOL ReplaceByRenaming(const char *temp, const char *target);

#endif
