// Opening a folder in the shell for the user.
#ifndef OPENFOLDER_H
#define OPENFOLDER_H

struct RunContext;

// Opens folder in the shell when it is there as a folder; a missing one is quietly not opened
// (the log says so). ctx may be none.
void OpenFolderInShell(const char *folder, RunContext *ctx);

#endif
