// Install configuration defaults and command-line parsing.
#include "installcfg.h"

#include <string.h>

static const char SEPARATORS[] = " \t\n";

void InitInstallCfg(InstallCfg *cfg)
{
    cfg->mode = SETUP_MODE_INSTALL;
    cfg->port = DEFAULT_PORT;
    cfg->startupLink = 1;
    cfg->programsLink = 1;
    cfg->desktopLink = 1;
    cfg->delPubKey = 1;
}

// Value of the leading digits of token; 0 when it overflows a 32-bit int.
static int LeadingNumber(const char *token)
{
    int value = 0;
    for (const char *p = token; *p >= '0' && *p <= '9'; p++) {
        int digit = *p - '0';
        if (value > (0x7FFFFFFF - digit) / 10)
            return 0;
        value = value * 10 + digit;
    }
    return value;
}

static char *NextToken(char **cursor)
{
    char *p = *cursor + strspn(*cursor, SEPARATORS);
    if (!*p) {
        *cursor = p;
        return NULL;
    }
    char *end = p + strcspn(p, SEPARATORS);
    if (*end)
        *end++ = 0;
    *cursor = end;
    return p;
}

void ParseCommandLine(char *cmdLine, InstallCfg *cfg)
{
    if (!cmdLine)
        return;
    char *cursor = cmdLine;
    for (char *token = NextToken(&cursor); token; token = NextToken(&cursor)) {
        if (strcmp(token, "/r") == 0) {
            cfg->mode = SETUP_MODE_UNINSTALL;
        } else if (token[0] >= '0' && token[0] <= '9') {
            int port = LeadingNumber(token);
            if (port > 0)
                cfg->port = port;
        }
    }
}
