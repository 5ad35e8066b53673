// Choosing the install scope from the process's rights.
#include "scope.h"

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

// Whether the token is a member of the Administrators group: an administrator's token that
// is not elevated holds the group only to deny access, and is not. Systems before Windows 2000
// lack the call, and the program runs as it always has there: for the machine.
static BOOL IsAdministrator()
{
    static int known = -1;  // the token's rights do not change during a run: read once
    if (known >= 0)
        return known;
    typedef BOOL(WINAPI * CheckMembershipFunc)(HANDLE, PSID, PBOOL);
    static BYTE administrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};  // S-1-5-32-544
    CheckMembershipFunc check = (CheckMembershipFunc)(void *)::GetProcAddress(::GetModuleHandleA("advapi32.dll"),
                                                                             "CheckTokenMembership");
    BOOL member = TRUE;
    if (check && !check(NULL, administrators, &member))
        member = FALSE;
    return known = member != FALSE;
}

ScopeChoice ChooseScope(InstallScope requested)
{
    BOOL hasTokens = (::GetVersion() & 0x80000000) == 0;
    return ChooseScopeFrom(requested, hasTokens, hasTokens && IsAdministrator());
}

BOOL ProcessIsElevated()
{
    static int known = -1;
    if (known >= 0)
        return known;
    typedef BOOL(WINAPI * OpenTokenFunc)(HANDLE, DWORD, PHANDLE);
    typedef BOOL(WINAPI * TokenInformationFunc)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
    DWORD version = ::GetVersion();
    if ((version & 0x80000000) || LOBYTE(LOWORD(version)) < 6)
        return known = FALSE;
    HMODULE advapi = ::GetModuleHandleA("advapi32.dll");
    OpenTokenFunc openToken = (OpenTokenFunc)(void *)::GetProcAddress(advapi, "OpenProcessToken");
    TokenInformationFunc information = (TokenInformationFunc)(void *)::GetProcAddress(advapi, "GetTokenInformation");
    HANDLE token;
    TOKEN_ELEVATION elevation = {0};
    DWORD size;
    if (openToken && information && openToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        information(token, TokenElevation, &elevation, sizeof(elevation), &size);
        ::CloseHandle(token);
    }
    // a full administrator's token where the user account control is off says "not elevated"
    return known = elevation.TokenIsElevated || IsAdministrator();
}
