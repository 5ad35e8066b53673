// Whom an install is for: the whole machine (Program Files, HKEY_LOCAL_MACHINE) or the user
// who runs the setup program (the user's own program folder, HKEY_CURRENT_USER).
#ifndef SCOPE_H
#define SCOPE_H

#include <windows.h>

enum InstallScope { SCOPE_ANY = 0, SCOPE_MACHINE = 1, SCOPE_USER = 2 };

struct ScopeChoice {
    InstallScope scope;
    BOOL permitted;         // FALSE: the machine scope asked for without administrator rights
    BOOL mayChangeMachine;  // administrator rights, or a Windows without rights of users
    const char *reason;     // for the step log
};

// requested: from "/allusers" or "/peruser", else SCOPE_ANY. hasTokens: Windows NT (95, 98
// and Me know no rights of users). administrator: the process runs with administrator rights.
ScopeChoice ChooseScopeFrom(InstallScope requested, BOOL hasTokens, BOOL administrator);

// The same choice, for this process.
ScopeChoice ChooseScope(InstallScope requested);

inline int ScopeBit(InstallScope scope)
{
    return 1 << scope;
}

// What an uninstall removes, as bits of ScopeBit.
struct UninstallChoice {
    int scopes;          // the scopes whose entries it removes
    int staying;         // the registered scopes that stay installed
    BOOL permitted;      // FALSE: it would change the machine's install without the rights for it
    const char *reason;  // for the step log
};

// The scope asked for; else the install whose folder this program lies in (own: it is that
// install's uninstaller); else every registered scope that the rights reach; else the machine's
// install, which they do not reach; else the scope chosen. Never another scope in the place
// of one that may not be changed.
UninstallChoice ChooseUninstallFrom(InstallScope requested, const ScopeChoice &choice, int registered, int own);

// Where the scope's App Paths and Uninstall entries are.
inline HKEY ScopeRoot(InstallScope scope)
{
    return scope == SCOPE_USER ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

inline const char *ScopeName(InstallScope scope)
{
    return scope == SCOPE_USER ? "user" : "machine";
}

#endif
