// The messenger that this program installs, as the procedures know it: its files, its
// windows, its settings and its keys.
#ifndef MESSENGER_H
#define MESSENGER_H

#include <windows.h>

// Its program file, in the install folder and beside setup.exe.
#define MESSENGER_EXE "qwill.exe"
// The real messenger beside a placeholder qwill.exe in the setup folder.
#define MESSENGER_ORIGINAL "org\\" MESSENGER_EXE
// A smaller qwill.exe is a placeholder.
const DWORD PLACEHOLDER_EXE_SIZE = 50000;

// The name of its shortcuts.
#define LINK_FILE_NAME "Qwill.lnk"

// Class-name prefix of its top-level windows.
#define MESSENGER_CLASS_PREFIX "qwill_class"

// Its per-user settings: software\Korvane\QwillEng.
#define MESSENGER_MAKER "Korvane"
#define MESSENGER_SETTINGS "QwillEng"

// Its key containers, one per provider, named after the user (%s).
#define MESSENGER_CONTAINER_RSA1024 "qwill.rsa1024.%s"
#define MESSENGER_CONTAINER_RSA512 "qwill.rsa512.%s"

#endif
