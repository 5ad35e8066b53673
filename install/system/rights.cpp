// The rights of this process's token, read once: they do not change during a run.
#include "rights.h"
#include "tsystem.h"

BOOL IsAdministrator()
{
    static int known = -1;
    if (known >= 0)
        return known;
    typedef BOOL(WINAPI * CheckMembershipFunc)(HANDLE, PSID, PBOOL);
    static BYTE administrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};  // S-1-5-32-544
    CheckMembershipFunc check = FunctionOf<CheckMembershipFunc>("advapi32.dll", "CheckTokenMembership");
    BOOL member = TRUE;
    if (check && !check(NULL, administrators, &member))
        member = FALSE;
    return known = member != FALSE;
}

BOOL ProcessIsElevated()
{
    static int known = -1;
    if (known >= 0)
        return known;
    typedef BOOL(WINAPI * OpenTokenFunc)(HANDLE, DWORD, PHANDLE);
    typedef BOOL(WINAPI * TokenInformationFunc)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
    if (IsWindows9x() || WindowsMajor() < 6)
        return known = FALSE;
    OpenTokenFunc openToken = FunctionOf<OpenTokenFunc>("advapi32.dll", "OpenProcessToken");
    TokenInformationFunc information = FunctionOf<TokenInformationFunc>("advapi32.dll", "GetTokenInformation");
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
