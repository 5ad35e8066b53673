// The firewall's rules for the messenger, which hears its colleagues over UDP (presence,
// messages) and TCP (files): a machine install opens it to them, its uninstall closes it again.
#ifndef FIREWALL_H
#define FIREWALL_H

#include <windows.h>

struct RunContext;

// Whom the rules let reach the messenger ("/firewall=lan", "=any", "=off"): its local subnet,
// any address, or no rule written or removed at all (where Group Policy manages the firewall).
enum FirewallReach { FIREWALL_LAN = 0, FIREWALL_ANY = 1, FIREWALL_OFF = 2 };

// Gives program (a full path) exactly one set of inbound rules, UDP and TCP, allowing, enabled,
// for every profile, from reach: its own earlier rules (its group, a messenger's program) are
// kept, moved to program or removed; every other rule stays as it is, and one that blocks the
// messenger is named in the log. FALSE when a rule could not be written or removed.
BOOL OpenFirewallFor(const char *program, int reach, RunContext *ctx);

// Removes the rules that OpenFirewallFor made for program, and no other. FALSE when one stays.
BOOL CloseFirewallFor(const char *program, RunContext *ctx);

#endif
