// The messenger's firewall rules through the firewall's own interface, Windows Vista on: the
// rule collection of the firewall policy, its rules read and changed in place (they are live),
// new ones made by its rule class. No command-line tool: its output is localised.
#include "firewall.h"
#include "automation.h"
#include "messenger.h"
#include "setuplog.h"
#include "texts.h"
#include "ttext.h"

#include <netfw.h>
#include <stdlib.h>
#include <string.h>

// The classes and interfaces (defined here rather than taken from the uuid library, which
// brings every identifier it knows).
static const CLSID POLICY_CLASS = {0xE2B3C97F, 0x6AE1, 0x41AC, {0x81, 0x7A, 0xF6, 0xF9, 0x21, 0x66, 0xD7, 0xDD}};
static const IID POLICY_IID = {0x98325047, 0xC671, 0x4174, {0x8D, 0x81, 0xDE, 0xFC, 0xD3, 0xF0, 0x31, 0x86}};
static const CLSID RULE_CLASS = {0x2C5BC43E, 0x3369, 0x4C33, {0xAB, 0x0C, 0xBE, 0x94, 0x69, 0x67, 0x7A, 0xF4}};
static const IID RULE_IID = {0xAF230D27, 0xBABA, 0x4E42, {0xAC, 0xED, 0xF5, 0x24, 0xF2, 0x2C, 0xFC, 0xE2}};
static const IID ENUM_VARIANT_IID = {0x00020404, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The program's rules are the ones of its group that allow a messenger in: one of each kind.
static const WCHAR GROUP[] = L"Qwill";
static const WCHAR MESSENGER_NAME[] = L"\\" MESSENGER_EXE;
static const struct {
    long protocol;
    const WCHAR *name;
} KINDS[] = {{NET_FW_IP_PROTOCOL_UDP, L"Qwill (UDP-In)"}, {NET_FW_IP_PROTOCOL_TCP, L"Qwill (TCP-In)"}};
static const int KIND_COUNT = sizeof(KINDS) / sizeof(KINDS[0]);
static const WCHAR REMOVING[] = L"Qwill (removing)";  // a rule's name for the moment it is removed
static const int MAX_OWN = 16;

// What a rule says, as far as the program looks at it.
struct RuleFacts {
    BSTR name, group, program, remote;
    long protocol, profiles;
    NET_FW_RULE_DIRECTION direction;
    NET_FW_ACTION action;
    VARIANT_BOOL enabled;
};

// What the program's rules for one messenger say.
struct Wanted {
    WCHAR program[MAX_PATH];
    const WCHAR *remote;
    WCHAR *description;  // owned
};

static void ReadFacts(INetFwRule *rule, RuleFacts *facts)
{
    memset(facts, 0, sizeof(*facts));
    rule->get_Name(&facts->name);
    rule->get_Grouping(&facts->group);
    rule->get_ApplicationName(&facts->program);
    rule->get_RemoteAddresses(&facts->remote);
    rule->get_Protocol(&facts->protocol);
    rule->get_Profiles(&facts->profiles);
    rule->get_Direction(&facts->direction);
    rule->get_Action(&facts->action);
    rule->get_Enabled(&facts->enabled);
}

static void FreeFacts(RuleFacts *facts)
{
    BSTR texts[] = {facts->name, facts->group, facts->program, facts->remote};
    for (BSTR text : texts)
        FreeAutomationString(text);
}

static BOOL Same(BSTR text, const WCHAR *wanted)
{
    return lstrcmpiW(text ? text : L"", wanted) == 0;
}

static BOOL IsOwn(const RuleFacts &facts)
{
    int len = facts.program ? lstrlenW(facts.program) : 0, nameLen = lstrlenW(MESSENGER_NAME);
    return Same(facts.group, GROUP) && facts.action == NET_FW_ACTION_ALLOW && facts.direction == NET_FW_RULE_DIR_IN &&
           len > nameLen && lstrcmpiW(facts.program + len - nameLen, MESSENGER_NAME) == 0;
}

static int KindOf(const RuleFacts &facts)
{
    for (int kind = 0; kind < KIND_COUNT; kind++)
        if (facts.protocol == KINDS[kind].protocol)
            return kind;
    return -1;
}

static BOOL AsWanted(const RuleFacts &facts, int kind, const Wanted &wanted)
{
    return Same(facts.name, KINDS[kind].name) && Same(facts.program, wanted.program) && Same(facts.remote, wanted.remote) &&
           facts.enabled && facts.profiles == NET_FW_PROFILE2_ALL;
}

typedef HRESULT (STDMETHODCALLTYPE INetFwRule::*PutText)(BSTR);

static HRESULT Put(INetFwRule *rule, PutText put, const WCHAR *text)
{
    BSTR value = NewAutomationString(text);
    HRESULT result = value ? (rule->*put)(value) : E_OUTOFMEMORY;
    FreeAutomationString(value);
    return result;
}

// Makes rule say what the program's rule of this kind says. A new rule is disabled, and a
// protocol must be set before any port.
static HRESULT Apply(INetFwRule *rule, int kind, const Wanted &wanted)
{
    const struct {
        PutText put;
        const WCHAR *text;
    } texts[] = {{&INetFwRule::put_Name, KINDS[kind].name},
                 {&INetFwRule::put_Description, wanted.description},
                 {&INetFwRule::put_ApplicationName, wanted.program},
                 {&INetFwRule::put_RemoteAddresses, wanted.remote},
                 {&INetFwRule::put_Grouping, GROUP}};
    HRESULT result = rule->put_Protocol(KINDS[kind].protocol);
    for (const auto &text : texts)
        if (SUCCEEDED(result))
            result = Put(rule, text.put, text.text);
    if (SUCCEEDED(result))
        result = rule->put_Direction(NET_FW_RULE_DIR_IN);
    if (SUCCEEDED(result))
        result = rule->put_Action(NET_FW_ACTION_ALLOW);
    if (SUCCEEDED(result))
        result = rule->put_Profiles(NET_FW_PROFILE2_ALL);
    if (SUCCEEDED(result))
        result = rule->put_Enabled(VARIANT_TRUE);
    return result;
}

// Takes rule out of rules. Rules are removed by name, and another program's may have the same
// name: the rule is given a name of its own first.
static HRESULT Remove(INetFwRules *rules, INetFwRule *rule)
{
    BSTR name = NewAutomationString(REMOVING);
    HRESULT result = name ? Put(rule, &INetFwRule::put_Name, REMOVING) : E_OUTOFMEMORY;
    if (SUCCEEDED(result))
        result = rules->Remove(name);
    FreeAutomationString(name);
    return result;
}

// A rule's name for the log (MAX_PATH bytes).
static const char *Shown(const WCHAR *name, char *shown)
{
    if (!::WideCharToMultiByte(CP_ACP, 0, name ? name : L"", -1, shown, MAX_PATH, NULL, NULL))
        shown[0] = 0;
    return shown;
}

// Logs what became of the rule name for program; TRUE when it succeeded.
static BOOL Report(RunContext *ctx, const WCHAR *name, const char *program, HRESULT result, const char *done)
{
    char shown[MAX_PATH], failure[FAILURE_TEXT_SIZE];
    LogStep(ctx, "firewall rule %s for %s: %s", Shown(name, shown), program,
            SUCCEEDED(result) ? done : HresultText(result, failure, sizeof(failure)));
    return SUCCEEDED(result);
}

// The firewall's rule collection, or NULL: where this Windows has none that takes rules (the
// log says so, and *ok stays), or where it cannot be reached (*ok FALSE).
static INetFwRules *FirewallRules(BOOL open, BOOL *ok, RunContext *ctx)
{
    INetFwPolicy2 *policy = NULL;
    INetFwRules *rules = NULL;
    char failure[FAILURE_TEXT_SIZE];
    HRESULT result = ::CoCreateInstance(POLICY_CLASS, NULL, CLSCTX_INPROC_SERVER, POLICY_IID, (void **)&policy);
    if (result == REGDB_E_CLASSNOTREG) {
        LogStep(ctx, "firewall: none that takes rules on this Windows, no rule");
        return NULL;
    }
    NET_FW_MODIFY_STATE state;
    if (SUCCEEDED(result) && open && SUCCEEDED(policy->get_LocalPolicyModifyState(&state)) && state != NET_FW_MODIFY_STATE_OK)
        LogStep(ctx, "firewall: %s", state == NET_FW_MODIFY_STATE_GP_OVERRIDE
                                         ? "Group Policy's rules apply, the rules written here do not"
                                         : "Group Policy blocks every inbound connection, the rules written here too");
    if (SUCCEEDED(result))
        result = policy->get_Rules(&rules);
    if (policy)
        policy->Release();
    if (FAILED(result)) {
        LogStep(ctx, "firewall: %s", HresultText(result, failure, sizeof(failure)));
        *ok = FALSE;
    }
    return SUCCEEDED(result) ? rules : NULL;
}

// The program's own rules (at most MAX_OWN), with what they say; a rule that blocks program
// is named in the log. -1 when the rules cannot be listed.
static int OwnRules(INetFwRules *rules, const Wanted &wanted, INetFwRule **own, RuleFacts *facts, RunContext *ctx)
{
    char shown[MAX_PATH], failure[FAILURE_TEXT_SIZE];
    IUnknown *list = NULL;
    IEnumVARIANT *items = NULL;
    HRESULT result = rules->get__NewEnum(&list);
    if (SUCCEEDED(result))
        result = list->QueryInterface(ENUM_VARIANT_IID, (void **)&items);
    int count = SUCCEEDED(result) ? 0 : -1;
    VARIANT item = {};
    while (items && items->Next(1, &item, NULL) == S_OK) {
        INetFwRule *rule = NULL;
        if (item.vt == VT_DISPATCH && item.pdispVal && SUCCEEDED(item.pdispVal->QueryInterface(RULE_IID, (void **)&rule))) {
            RuleFacts read;
            ReadFacts(rule, &read);
            if (IsOwn(read) && count < MAX_OWN) {
                own[count] = rule;
                facts[count++] = read;
                rule = NULL;
            } else {
                // a block rule wins over an allow rule: the messenger stays deaf, and the log says why
                if (read.action == NET_FW_ACTION_BLOCK && read.direction == NET_FW_RULE_DIR_IN && read.enabled &&
                    Same(read.program, wanted.program))
                    LogStep(ctx, "firewall rule %s blocks the messenger: kept, a block rule wins over an allow rule",
                            Shown(read.name, shown));
                FreeFacts(&read);
                rule->Release();
            }
        }
        ClearVariant(&item);
    }
    if (items)
        items->Release();
    if (list)
        list->Release();
    if (count < 0)
        LogStep(ctx, "firewall: the rules cannot be listed, %s", HresultText(result, failure, sizeof(failure)));
    return count;
}

static BOOL MakeWanted(const char *program, int reach, Wanted *wanted)
{
    wanted->remote = reach == FIREWALL_ANY ? L"*" : L"LocalSubnet";
    wanted->description = WideText(TEXT_FIREWALL_RULE, ProgramCodePage());
    return wanted->description && ::MultiByteToWideChar(CP_ACP, 0, program, -1, wanted->program, MAX_PATH);
}

// Opens (or, with closing, closes) the firewall for program: the program's own rules are kept
// or moved to program, one of each kind, or removed; what is missing is added.
static BOOL ChangeFirewall(const char *program, int reach, BOOL closing, RunContext *ctx)
{
    Wanted wanted;
    BOOL ok = MakeWanted(program, reach, &wanted);
    INetFwRules *rules = ok ? FirewallRules(!closing, &ok, ctx) : NULL;
    INetFwRule *own[MAX_OWN];
    RuleFacts facts[MAX_OWN];
    int count = rules ? OwnRules(rules, wanted, own, facts, ctx) : 0;
    ok = ok && count >= 0;
    // one of each kind stays: first one that says all it should, then any other
    int kept[KIND_COUNT] = {-1, -1};
    for (int pass = 0; pass < 2 && !closing; pass++)
        for (int i = 0; i < count; i++) {
            int kind = KindOf(facts[i]);
            if (kind >= 0 && kept[kind] < 0 && (pass || AsWanted(facts[i], kind, wanted)))
                kept[kind] = i;
        }
    for (int i = 0; i < count; i++) {
        int kind = KindOf(facts[i]);
        BOOL keep = kind >= 0 && kept[kind] == i, asWanted = keep && AsWanted(facts[i], kind, wanted);
        if (keep)
            ok = Report(ctx, KINDS[kind].name, program, asWanted ? S_OK : Apply(own[i], kind, wanted), asWanted ? "kept" : "updated") && ok;
        else if (!closing || Same(facts[i].program, wanted.program))
            ok = Report(ctx, facts[i].name, program, Remove(rules, own[i]), "removed") && ok;
        FreeFacts(&facts[i]);
        own[i]->Release();
    }
    for (int kind = 0; rules && count >= 0 && !closing && kind < KIND_COUNT; kind++) {
        if (kept[kind] >= 0)
            continue;
        INetFwRule *rule = NULL;
        HRESULT result = ::CoCreateInstance(RULE_CLASS, NULL, CLSCTX_INPROC_SERVER, RULE_IID, (void **)&rule);
        if (SUCCEEDED(result))
            result = Apply(rule, kind, wanted);
        if (SUCCEEDED(result))
            result = rules->Add(rule);
        if (rule)
            rule->Release();
        ok = Report(ctx, KINDS[kind].name, program, result, "added") && ok;
    }
    if (rules)
        rules->Release();
    free(wanted.description);
    return ok;
}

BOOL OpenFirewallFor(const char *program, int reach, RunContext *ctx)
{
    return ChangeFirewall(program, reach, FALSE, ctx);
}

BOOL CloseFirewallFor(const char *program, RunContext *ctx)
{
    return ChangeFirewall(program, FIREWALL_LAN, TRUE, ctx);
}
