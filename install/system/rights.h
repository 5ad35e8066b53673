// The rights this process runs with.
#ifndef RIGHTS_H
#define RIGHTS_H

#include <windows.h>

// Whether the token holds the Administrators group (an administrator's token that is not
// elevated holds it only to deny access, and does not count). TRUE before Windows 2000, which
// lacks the call: the program runs there as it always has, for the machine.
BOOL IsAdministrator();

// TRUE when this process runs with administrator rights on Windows Vista or later: an elevated
// token, or one that holds the Administrators group.
BOOL ProcessIsElevated();

#endif
