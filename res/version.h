// What setup.exe says of itself, in one place: its version resource, the Add/Remove Programs
// entry it writes and the release's package manifests (scripts/winget-manifests.sh) take
// these. UTF-8 here; GBK in the program.
#ifndef VERSION_H
#define VERSION_H

#define VERSION_NUMBERS 2, 6, 0, 0
#define VERSION_TEXT "2.06"
#define COMPANY_NAME "Korvane"
#define PRODUCT_NAME "Qwill简体中文版"
#define FILE_DESCRIPTION "Qwill装载程序"
#define ORIGINAL_FILE_NAME "setup.exe"
#define COPYRIGHT "Copyright (C) Korvane"
#define UNINSTALL_KEY_NAME "Qwill"  // of the Add/Remove Programs entry: the package's product code

#endif
