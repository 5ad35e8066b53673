// Install configuration defaults and command-line parsing.
#include "installcfg.h"
#include "firewall.h"
#include "paths.h"
#include "scope.h"

#include <windows.h>
#include <stdlib.h>
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
    cfg->scope = SCOPE_ANY;
    cfg->firewall = FIREWALL_LAN;
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

static const char FOLDER_SWITCH[] = "/d=";
static const char LOG_SWITCH[] = "/log=";
static const int FOLDER_SWITCH_LEN = sizeof(FOLDER_SWITCH) - 1;

// The program's own switches are matched in any letter case, as installers' switches are;
// "/r" is not one of them.
static BOOL IsSwitch(const char *token, const char *name)
{
    return StrNCaseCmp(token, name, (int)strlen(name) + 1) == 0;
}

// "/firewall=lan", "=any" or "=off" (FirewallReach, in that order) into *reach; another value
// is no switch of the program's.
static BOOL IsFirewallSwitch(const char *token, int *reach)
{
    static const char *const VALUES[] = {"/firewall=lan", "/firewall=any", "/firewall=off"};
    for (int i = 0; i < 3; i++)
        if (IsSwitch(token, VALUES[i])) {
            *reach = i;
            return TRUE;
        }
    return FALSE;
}

static BOOL IsSeparator(char c)
{
    return c && strchr(SEPARATORS, c);
}

// Where the token that starts at p ends: separators inside quotes belong to it, and an
// unquoted "/d=" value takes the rest of the line, spaces and all.
static char *TokenEnd(char *p)
{
    if (StrNCaseCmp(p, FOLDER_SWITCH, FOLDER_SWITCH_LEN) == 0 && p[FOLDER_SWITCH_LEN] != '"')
        return p + strlen(p);
    BOOL quoted = FALSE;
    for (; *p; p++) {
        if (*p == '"')
            quoted = !quoted;
        else if (!quoted && IsSeparator(*p))
            break;
    }
    return p;
}

static char *NextToken(char **cursor)
{
    char *p = *cursor + strspn(*cursor, SEPARATORS);
    if (!*p) {
        *cursor = p;
        return NULL;
    }
    char *end = TokenEnd(p);
    if (*end)
        *end++ = 0;
    *cursor = end;
    return p;
}

// The value of the switch name in token, also when the whole token is quoted ("/d=C:\A B"),
// as a shell quotes an argument with spaces. A quoted value ends at its closing quote, an
// unquoted one at the token's end. FALSE when token is not that switch; a value too long for
// a path gives "".
static BOOL SwitchValue(const char *token, const char *name, char *out, int size)
{
    BOOL quoted = token[0] == '"';
    const char *value = token + (quoted ? 1 : 0);
    size_t nameLen = strlen(name);
    if (StrNCaseCmp(value, name, (int)nameLen) != 0)
        return FALSE;
    value += nameLen;
    if (*value == '"') {
        value++;
        quoted = TRUE;
    }
    const char *end = quoted ? strchr(value, '"') : NULL;
    if (!end) {
        end = value + strlen(value);
        while (end > value && IsSeparator(end[-1]))
            end--;
    }
    size_t len = end - value;
    if (len >= (size_t)size)
        len = 0;  // no value rather than a cut one
    memcpy(out, value, len);
    out[len] = 0;
    return TRUE;
}

// "/r", a port, the scope and the firewall's reach count wherever they stand; the unattended
// switches only when asked for.
// Nothing inside quotes is a switch or a port: a quoted token starts with the quote.
static void ApplyToken(const char *token, InstallCfg *cfg, SetupSwitches *switches)
{
    if (strcmp(token, "/r") == 0) {
        cfg->mode = SETUP_MODE_UNINSTALL;
    } else if (token[0] >= '0' && token[0] <= '9') {
        int port = LeadingNumber(token);
        if (port > 0)
            cfg->port = port;
    } else if (IsSwitch(token, "/allusers")) {
        cfg->scope = SCOPE_MACHINE;
    } else if (IsSwitch(token, "/peruser")) {
        cfg->scope = SCOPE_USER;
    } else if (IsFirewallSwitch(token, &cfg->firewall)) {
        // taken
    } else if (!switches) {
        return;
    } else if (IsSwitch(token, "/s")) {
        switches->silent = 1;
    } else if (IsSwitch(token, "/inplace")) {
        switches->inPlace = 1;
    } else if (SwitchValue(token, FOLDER_SWITCH, switches->folder, sizeof(switches->folder))) {
        switches->folderGiven = 1;
    } else if (SwitchValue(token, LOG_SWITCH, switches->logFile, sizeof(switches->logFile))) {
        switches->logGiven = 1;
    } else if (token[0] == '/' && !switches->unknown[0]) {
        lstrcpynA(switches->unknown, token, sizeof(switches->unknown));  // the first, for the log
    }
}

static void ApplyTokens(char *line, InstallCfg *cfg, SetupSwitches *switches)
{
    char *cursor = line;
    for (char *token = NextToken(&cursor); token; token = NextToken(&cursor))
        ApplyToken(token, cfg, switches);
}

void ParseCommandLine(char *cmdLine, InstallCfg *cfg)
{
    if (cmdLine)
        ApplyTokens(cmdLine, cfg, NULL);
}

void ParseSetupSwitches(const char *cmdLine, InstallCfg *cfg, SetupSwitches *switches)
{
    memset(switches, 0, sizeof(*switches));
    if (!cmdLine)
        return;
    size_t len = strlen(cmdLine);
    char *line = (char *)malloc(len + 1);
    if (!line)
        return;
    memcpy(line, cmdLine, len + 1);
    ApplyTokens(line, cfg, switches);
    free(line);
}
