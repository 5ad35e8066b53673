// Choosing the install scope from the process's rights.
#include "scope.h"

ScopeChoice ChooseScopeFrom(InstallScope requested, BOOL hasTokens, BOOL administrator)
{
    BOOL mayChangeMachine = !hasTokens || administrator;
    if (requested == SCOPE_USER) {
        ScopeChoice choice = {SCOPE_USER, TRUE, "/peruser"};
        return choice;
    }
    if (requested == SCOPE_MACHINE) {
        ScopeChoice choice = {SCOPE_MACHINE, mayChangeMachine,
                              mayChangeMachine ? "/allusers" : "/allusers without administrator rights"};
        return choice;
    }
    ScopeChoice choice = {mayChangeMachine ? SCOPE_MACHINE : SCOPE_USER, TRUE,
                          !hasTokens ? "no user rights on this Windows"
                          : administrator ? "administrator rights" : "no administrator rights"};
    return choice;
}

// Whether the token is a member of the Administrators group: an administrator's token that
// is not elevated holds the group only to deny access, and is not. Systems before Windows 2000
// lack the call, and the program runs as it always has there: for the machine.
static BOOL IsAdministrator()
{
    typedef BOOL(WINAPI * CheckMembershipFunc)(HANDLE, PSID, PBOOL);
    static BYTE administrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};  // S-1-5-32-544
    CheckMembershipFunc check = (CheckMembershipFunc)(void *)::GetProcAddress(::GetModuleHandleA("advapi32.dll"),
                                                                             "CheckTokenMembership");
    BOOL member = TRUE;
    if (check && !check(NULL, administrators, &member))
        member = FALSE;
    return member;
}

ScopeChoice ChooseScope(InstallScope requested)
{
    BOOL hasTokens = (::GetVersion() & 0x80000000) == 0;
    return ChooseScopeFrom(requested, hasTokens, hasTokens && IsAdministrator());
}
