// Choosing the install scope from the process's rights.
#include "scope.h"
#include "rights.h"
#include "tsystem.h"

ScopeChoice ChooseScopeFrom(InstallScope requested, BOOL hasTokens, BOOL administrator)
{
    BOOL mayChangeMachine = !hasTokens || administrator;
    if (requested == SCOPE_USER) {
        ScopeChoice choice = {SCOPE_USER, TRUE, mayChangeMachine, "/peruser"};
        return choice;
    }
    if (requested == SCOPE_MACHINE) {
        ScopeChoice choice = {SCOPE_MACHINE, mayChangeMachine, mayChangeMachine,
                              mayChangeMachine ? "/allusers" : "/allusers without administrator rights"};
        return choice;
    }
    ScopeChoice choice = {mayChangeMachine ? SCOPE_MACHINE : SCOPE_USER, TRUE, mayChangeMachine,
                          !hasTokens ? "no user rights on this Windows"
                          : administrator ? "administrator rights" : "no administrator rights"};
    return choice;
}

UninstallChoice ChooseUninstallFrom(InstallScope requested, const ScopeChoice &choice, int registered, int own)
{
    int reached = choice.mayChangeMachine ? registered : registered & ~ScopeBit(SCOPE_MACHINE);
    UninstallChoice uninstall = {ScopeBit(choice.scope), 0, TRUE, choice.reason};
    if (requested) {
        uninstall.scopes = ScopeBit(requested);
    } else if (own) {
        // both installs in this folder: the command without a scope is the machine's entry's
        int both = ScopeBit(SCOPE_MACHINE) | ScopeBit(SCOPE_USER);
        uninstall.scopes = own == both ? ScopeBit(SCOPE_MACHINE) : own;
        uninstall.reason = "the install this program belongs to";
    } else if (registered) {
        uninstall.scopes = reached ? reached : registered;
        uninstall.reason = "registered";
    }
    uninstall.staying = registered & ~uninstall.scopes;
    uninstall.permitted = choice.mayChangeMachine || !(uninstall.scopes & ScopeBit(SCOPE_MACHINE));
    return uninstall;
}

ScopeChoice ChooseScope(InstallScope requested)
{
    BOOL hasTokens = !IsWindows9x();
    return ChooseScopeFrom(requested, hasTokens, hasTokens && IsAdministrator());
}
