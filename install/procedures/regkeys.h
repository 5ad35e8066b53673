// The program's own entries under Windows' keys (windowskeys.h).
#ifndef REGKEYS_H
#define REGKEYS_H

#include "version.h"
#include "windowskeys.h"

#define SUBKEY_APP_PATH "qwill.exe"
#define VALUE_PATH "Path"
#define SUBKEY_UNINSTALL UNINSTALL_KEY_NAME
#define VALUE_DISPLAY_NAME "DisplayName"
#define VALUE_UNINSTALL_STRING "UninstallString"

#endif
