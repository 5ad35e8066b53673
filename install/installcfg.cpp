// Install configuration defaults and command-line parsing.
#include "installcfg.h"

#include "tstr.h"

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

static const char FOLDER_SWITCH[] = "/d=";
static const char LOG_SWITCH[] = "/log=";

// The value of a switch: a quoted value runs to its closing quote, else to the separator
// (or, when toEnd, to the end of the line, spaces and all).
static void SwitchValue(const char *p, BOOL toEnd, char *out, int size)
{
    const char *end;
    if (*p == '"') {
        p++;
        end = strchr(p, '"');
        if (!end)
            end = p + strlen(p);
    } else if (toEnd) {
        end = p + strlen(p);
        while (end > p && strchr(SEPARATORS, end[-1]))
            end--;
    } else {
        end = p + strcspn(p, SEPARATORS);
    }
    int len = (int)(end - p);
    if (len >= size) {
        out[0] = 0;  // too long for a path: no value rather than a cut one
        return;
    }
    memcpy(out, p, len);
    out[len] = 0;
}

static BOOL IsSwitchAt(const char *line, const char *p, const char *name, int nameLen)
{
    return strncmp(p, name, nameLen) == 0 && (p == line || strchr(SEPARATORS, p[-1]));
}

static char *Duplicate(const char *text)
{
    size_t len = strlen(text);
    char *copy = (char *)malloc(len + 1);
    if (copy)
        memcpy(copy, text, len + 1);
    return copy;
}

void ParseSetupSwitches(const char *cmdLine, InstallCfg *cfg, SetupSwitches *switches)
{
    memset(switches, 0, sizeof(*switches));
    char *line = cmdLine ? Duplicate(cmdLine) : NULL;
    if (!line)
        return;
    for (char *p = line; *p; p++) {
        if (IsSwitchAt(line, p, FOLDER_SWITCH, sizeof(FOLDER_SWITCH) - 1)) {
            switches->folderGiven = 1;
            SwitchValue(p + sizeof(FOLDER_SWITCH) - 1, TRUE, switches->folder, sizeof(switches->folder));
            *p = 0;  // the folder takes the rest of the line
            break;
        }
        if (IsSwitchAt(line, p, LOG_SWITCH, sizeof(LOG_SWITCH) - 1))
            SwitchValue(p + sizeof(LOG_SWITCH) - 1, FALSE, switches->logFile, sizeof(switches->logFile));
    }

    char *rest = Duplicate(line);
    if (rest) {
        ParseCommandLine(rest, cfg);
        free(rest);
    }
    char *cursor = line;
    for (char *token = NextToken(&cursor); token; token = NextToken(&cursor)) {
        if (strcmp(token, "/s") == 0)
            switches->silent = 1;
        else if (strcmp(token, "/inplace") == 0)
            switches->inPlace = 1;
    }
    free(line);
}
