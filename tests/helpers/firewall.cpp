// A firewall for the test prefix, which has none that takes rules: an in-process server of the
// policy and rule classes, registered in place of the system's. It keeps its rules where the
// tests seed and read them, HKLM\Software\QwillTest\Firewall\Rules\<n>, each property a text
// value, and behaves as the firewall is documented to: a new rule is disabled, inbound,
// allowing, for any protocol and every profile; ports need TCP or UDP first; changes need
// administrator rights; Remove takes every rule of the name and a missing name is no error;
// Item of a missing name fails; rules got from Item or the list are live. A value "Stopped" of
// the Firewall key makes every call fail as with the service stopped.
#include <windows.h>
#include <netfw.h>

#include <map>
#include <string>
#include <vector>

namespace {

const wchar_t FIREWALL[] = L"Software\\QwillTest\\Firewall", RULES[] = L"Software\\QwillTest\\Firewall\\Rules";
const HRESULT FIREWALL_STOPPED = 0x800706D9;

bool Stopped()
{
    DWORD stopped = 0, size = sizeof(stopped);
    return RegGetValueW(HKEY_LOCAL_MACHINE, FIREWALL, L"Stopped", RRF_RT_REG_DWORD, NULL, &stopped, &size) == 0 && stopped;
}

bool Administrator()
{
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    BOOL member = FALSE;
    CreateWellKnownSid(WinBuiltinAdministratorsSid, NULL, administrators, &size);
    return CheckTokenMembership(NULL, administrators, &member) && member;
}

std::wstring Text(const std::wstring &key, const wchar_t *name)
{
    wchar_t value[1024] = L"";
    DWORD size = sizeof(value) - sizeof(wchar_t);
    RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, NULL, value, &size);
    return value;
}

std::vector<std::wstring> RuleKeys()
{
    std::vector<std::wstring> keys;
    HKEY rules;
    wchar_t name[64];
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RULES, 0, KEY_READ, &rules))
        return keys;
    for (DWORD i = 0, size = 64; !RegEnumKeyExW(rules, i, name, &size, NULL, NULL, NULL, NULL); i++, size = 64)
        keys.push_back(std::wstring(RULES) + L"\\" + name);
    RegCloseKey(rules);
    return keys;
}

template <class Interface> struct Object : Interface {
    LONG refs = 1;
    virtual ~Object() {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface) ? this : NULL;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&refs);
        if (!left)
            delete this;
        return left;
    }
};

template <class Interface> struct Dispatch : Object<Interface> {
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
};

#define UNUSED(Declaration) \
    HRESULT STDMETHODCALLTYPE Declaration override { return E_NOTIMPL; }
#define TEXT_PROPERTY(Name) \
    HRESULT STDMETHODCALLTYPE get_##Name(BSTR *v) override { return Get(L"" #Name, v); } \
    HRESULT STDMETHODCALLTYPE put_##Name(BSTR v) override { return Put(L"" #Name, v ? v : L""); }
#define NUMBER_PROPERTY(Type, Name) \
    HRESULT STDMETHODCALLTYPE get_##Name(Type *v) override { return GetNumber(L"" #Name, v); } \
    HRESULT STDMETHODCALLTYPE put_##Name(Type v) override { return Put(L"" #Name, std::to_wstring((long)v)); }

struct Rule : Dispatch<INetFwRule> {
    std::wstring key;  // in the collection: its key; before that, what was put is in draft
    std::map<std::wstring, std::wstring> draft = {{L"Enabled", L"0"}, {L"Direction", L"1"}, {L"Action", L"1"},
                                                  {L"Protocol", L"256"}, {L"Profiles", L"2147483647"}};

    std::wstring Value(const wchar_t *name) { return key.empty() ? draft[name] : Text(key, name); }
    HRESULT Get(const wchar_t *name, BSTR *v)
    {
        *v = Stopped() ? NULL : SysAllocString(Value(name).c_str());
        return Stopped() ? FIREWALL_STOPPED : S_OK;
    }
    template <class Type> HRESULT GetNumber(const wchar_t *name, Type *v)
    {
        *v = (Type)wcstol(Value(name).c_str(), NULL, 10);
        return Stopped() ? FIREWALL_STOPPED : S_OK;
    }
    HRESULT Put(const wchar_t *name, const std::wstring &value)
    {
        if (Stopped())
            return FIREWALL_STOPPED;
        if ((!wcscmp(name, L"LocalPorts") || !wcscmp(name, L"RemotePorts")) && Value(L"Protocol") != L"6" && Value(L"Protocol") != L"17")
            return HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER);
        if (key.empty())
            return draft[name] = value, S_OK;
        if (!Administrator())
            return E_ACCESSDENIED;
        return HRESULT_FROM_WIN32(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                                                  (value.size() + 1) * sizeof(wchar_t)));
    }

    TEXT_PROPERTY(Name) TEXT_PROPERTY(Description) TEXT_PROPERTY(ApplicationName) TEXT_PROPERTY(ServiceName)
    NUMBER_PROPERTY(LONG, Protocol) TEXT_PROPERTY(LocalPorts) TEXT_PROPERTY(RemotePorts) TEXT_PROPERTY(LocalAddresses)
    TEXT_PROPERTY(RemoteAddresses) TEXT_PROPERTY(IcmpTypesAndCodes) NUMBER_PROPERTY(NET_FW_RULE_DIRECTION, Direction)
    UNUSED(get_Interfaces(VARIANT *)) UNUSED(put_Interfaces(VARIANT)) TEXT_PROPERTY(InterfaceTypes)
    NUMBER_PROPERTY(VARIANT_BOOL, Enabled) TEXT_PROPERTY(Grouping) NUMBER_PROPERTY(LONG, Profiles)
    NUMBER_PROPERTY(VARIANT_BOOL, EdgeTraversal) NUMBER_PROPERTY(NET_FW_ACTION, Action)
};

Rule *LiveRule(const std::wstring &key)
{
    Rule *rule = new Rule;
    rule->key = key;
    return rule;
}

struct RuleList : Object<IEnumVARIANT> {
    std::vector<std::wstring> keys = RuleKeys();
    size_t next = 0;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT *items, ULONG *fetched) override
    {
        ULONG done = 0;
        for (; done < count && next < keys.size(); done++) {
            VariantInit(&items[done]);
            items[done].vt = VT_DISPATCH;
            items[done].pdispVal = LiveRule(keys[next++]);
        }
        if (fetched)
            *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return next += count, S_OK; }
    HRESULT STDMETHODCALLTYPE Reset() override { return next = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT **) override { return E_NOTIMPL; }
};

struct Rules : Dispatch<INetFwRules> {
    HRESULT STDMETHODCALLTYPE get_Count(LONG *count) override { return *count = (LONG)RuleKeys().size(), S_OK; }
    HRESULT STDMETHODCALLTYPE Add(INetFwRule *added) override
    {
        Rule *rule = static_cast<Rule *>(added);  // the rule class is this server's
        DWORD next = 0, size = sizeof(next);
        if (Stopped() || !Administrator() || rule->Value(L"Name").empty())
            return Stopped() ? FIREWALL_STOPPED : !Administrator() ? E_ACCESSDENIED : HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER);
        RegGetValueW(HKEY_LOCAL_MACHINE, FIREWALL, L"Next", RRF_RT_REG_DWORD, NULL, &next, &size);
        std::wstring key = std::wstring(RULES) + L"\\" + std::to_wstring(++next);
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, FIREWALL, L"Next", REG_DWORD, &next, sizeof(next));
        for (const auto &value : rule->draft)
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.first.c_str(), REG_SZ, value.second.c_str(),
                            (value.second.size() + 1) * sizeof(wchar_t));
        rule->key = key;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR name) override
    {
        if (Stopped() || !Administrator())
            return Stopped() ? FIREWALL_STOPPED : E_ACCESSDENIED;
        for (const std::wstring &key : RuleKeys())
            if (!lstrcmpiW(Text(key, L"Name").c_str(), name))
                RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str()), RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(BSTR name, INetFwRule **rule) override
    {
        *rule = NULL;
        for (const std::wstring &key : RuleKeys())
            if (!*rule && !lstrcmpiW(Text(key, L"Name").c_str(), name))
                *rule = LiveRule(key);
        return Stopped() ? FIREWALL_STOPPED : *rule ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **list) override
    {
        *list = Stopped() ? NULL : new RuleList;
        return *list ? S_OK : FIREWALL_STOPPED;
    }
};

struct Policy : Dispatch<INetFwPolicy2> {
    HRESULT STDMETHODCALLTYPE get_Rules(INetFwRules **rules) override
    {
        *rules = Stopped() ? NULL : new Rules;
        return *rules ? S_OK : FIREWALL_STOPPED;
    }
    HRESULT STDMETHODCALLTYPE get_LocalPolicyModifyState(NET_FW_MODIFY_STATE *state) override
    {
        DWORD value = 0, size = sizeof(value);
        RegGetValueW(HKEY_LOCAL_MACHINE, FIREWALL, L"ModifyState", RRF_RT_REG_DWORD, NULL, &value, &size);
        return *state = (NET_FW_MODIFY_STATE)value, Stopped() ? FIREWALL_STOPPED : S_OK;
    }
    // the policy's settings, which the setup program leaves alone
    UNUSED(get_CurrentProfileTypes(LONG *)) UNUSED(get_FirewallEnabled(NET_FW_PROFILE_TYPE2, VARIANT_BOOL *))
    UNUSED(put_FirewallEnabled(NET_FW_PROFILE_TYPE2, VARIANT_BOOL)) UNUSED(get_ExcludedInterfaces(NET_FW_PROFILE_TYPE2, VARIANT *))
    UNUSED(put_ExcludedInterfaces(NET_FW_PROFILE_TYPE2, VARIANT))
    UNUSED(get_BlockAllInboundTraffic(NET_FW_PROFILE_TYPE2, VARIANT_BOOL *))
    UNUSED(put_BlockAllInboundTraffic(NET_FW_PROFILE_TYPE2, VARIANT_BOOL))
    UNUSED(get_NotificationsDisabled(NET_FW_PROFILE_TYPE2, VARIANT_BOOL *))
    UNUSED(put_NotificationsDisabled(NET_FW_PROFILE_TYPE2, VARIANT_BOOL))
    UNUSED(get_UnicastResponsesToMulticastBroadcastDisabled(NET_FW_PROFILE_TYPE2, VARIANT_BOOL *))
    UNUSED(put_UnicastResponsesToMulticastBroadcastDisabled(NET_FW_PROFILE_TYPE2, VARIANT_BOOL))
    UNUSED(get_ServiceRestriction(INetFwServiceRestriction **)) UNUSED(EnableRuleGroup(LONG, BSTR, VARIANT_BOOL))
    UNUSED(IsRuleGroupEnabled(LONG, BSTR, VARIANT_BOOL *)) UNUSED(RestoreLocalFirewallDefaults())
    UNUSED(get_DefaultInboundAction(NET_FW_PROFILE_TYPE2, NET_FW_ACTION *))
    UNUSED(put_DefaultInboundAction(NET_FW_PROFILE_TYPE2, NET_FW_ACTION))
    UNUSED(get_DefaultOutboundAction(NET_FW_PROFILE_TYPE2, NET_FW_ACTION *))
    UNUSED(put_DefaultOutboundAction(NET_FW_PROFILE_TYPE2, NET_FW_ACTION)) UNUSED(get_IsRuleGroupCurrentlyEnabled(BSTR, VARIANT_BOOL *))
};

const CLSID POLICY_CLASS = {0xE2B3C97F, 0x6AE1, 0x41AC, {0x81, 0x7A, 0xF6, 0xF9, 0x21, 0x66, 0xD7, 0xDD}};

struct Factory : IClassFactory {
    explicit Factory(bool makesPolicies) : policy(makesPolicies) {}
    bool policy;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : NULL;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *, REFIID iid, void **out) override
    {
        IUnknown *made = policy ? (IUnknown *)new Policy : (IUnknown *)new Rule;
        HRESULT result = made->QueryInterface(iid, out);
        made->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void **out)
{
    static Factory policies(true), rules(false);
    return (clsid == POLICY_CLASS ? policies : rules).QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    return S_FALSE;
}
