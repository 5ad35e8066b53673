// The state of the scratch Wine prefix that every test starts from.
#ifndef PREFIX_H
#define PREFIX_H

// Puts back what the tests change, from Wine's own defaults rather than from a copy: a run cut
// short (Ctrl-C, a time limit) leaves anything changed, and each test program starts with this.
// No messenger runs, none of its keys, key containers or scratch files are left; the parent
// keys App Paths and Uninstall exist; Shell Folders, ProgramFilesDir and the shell's folder
// verb are Wine's.
void ResetPrefix();

#endif
