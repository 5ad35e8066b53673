// What the tests work with, on the real files, processes, windows and registry of the prefix.
#include "harness.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <algorithm>
#include <fstream>

static std::string HostPathW(const std::wstring &path)
{
    typedef char *(CDECL * HostNameFunc)(LPCWSTR);
    HostNameFunc hostName = (HostNameFunc)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    size_t cut = path.rfind('\\');
    char *host = hostName ? hostName(path.substr(0, cut).c_str()) : NULL;
    char name[MAX_PATH * 3] = "";
    WideCharToMultiByte(CP_UTF8, 0, path.substr(cut).c_str(), -1, name, sizeof(name), NULL, NULL);
    std::string named = host ? host + std::string(name) : "";
    for (char &c : named)
        c = c == '\\' ? '/' : c;
    HeapFree(GetProcessHeap(), 0, host);
    return named;
}

std::string HostPath(const std::string &path)
{
    return HostPathW(std::wstring(path.begin(), path.end()));  // the tests' own paths are ASCII
}

// By wide names: a test may have made names that the system's code page lacks. A link is
// removed, not followed; the host removes what Windows cannot (a link, a FIFO).
static void RemoveTreeW(const std::wstring &path)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
        std::wstring name = found.cFileName, full = path + L"\\" + name;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);  // a test may have made it read-only
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT || !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!DeleteFileW(full.c_str()))
                RunHost("Z:\\bin\\rm -f \"" + HostPathW(full) + "\"");
        } else if (name != L"." && name != L"..") {
            RemoveTreeW(full);
        }
    }
    FindClose(find);
    RemoveDirectoryW(path.c_str());
}

void RemoveTree(const std::string &path)
{
    RemoveTreeW(std::wstring(path.begin(), path.end()));  // the tests' own paths are ASCII
}

bool WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    return bool(out.write(bytes.data(), bytes.size()).flush());
}

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FileNames(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool RunHost(const std::string &cmdLine)
{
    PROCESS_INFORMATION pi;
    bool started = StartProcess(cmdLine, &pi);
    if (started)
        EndProcess(&pi);  // its exit code does not come through
    return started;
}

const char *ProgramFolder()
{
    static char folder[MAX_PATH];
    if (!folder[0] && GetModuleFileNameA(NULL, folder, sizeof(folder)))
        strrchr(folder, '\\')[1] = 0;
    return folder;
}

// The desktop of a window station that no person sees, made once.
static const char *UnseenDesktop()
{
    static HWINSTA station = CreateWindowStationA("qwillunseen", 0, WINSTA_ALL_ACCESS, NULL);
    static bool made = false;
    if (station && !made) {
        HWINSTA own = GetProcessWindowStation();
        SetProcessWindowStation(station);
        made = CreateDesktopA("Default", NULL, NULL, 0, GENERIC_ALL, NULL) != NULL;
        SetProcessWindowStation(own);
    }
    return "qwillunseen\\Default";
}

bool StartProcess(const std::string &cmdLine, PROCESS_INFORMATION *pi, RunBy by)
{
    static HDESK other = CreateDesktopA("other", NULL, NULL, 0, GENERIC_ALL, NULL);
    STARTUPINFOA si = {sizeof(si)};
    si.lpDesktop = (char *)(by == OTHER_SESSION ? "WinSta0\\other" : by == NO_ONE_SEES ? UnseenDesktop() : NULL);
    std::string copy = cmdLine;
    if (by != STANDARD_USER)
        return (by != OTHER_SESSION || other) && CreateProcessA(NULL, &copy[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, pi);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    HANDLE token = NULL, restricted = NULL;
    CreateWellKnownSid(WinBuiltinAdministratorsSid, NULL, administrators, &size);
    SID_AND_ATTRIBUTES denyOnly = {administrators, 0};
    bool started = OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token) &&
                   CreateRestrictedToken(token, 0, 1, &denyOnly, 0, NULL, 0, NULL, &restricted) &&
                   CreateProcessAsUserA(restricted, NULL, &copy[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, pi);
    CloseHandle(restricted);
    CloseHandle(token);
    return started;
}

DWORD EndProcess(PROCESS_INFORMATION *pi, int timeoutMs)
{
    DWORD code = 0;
    if (WaitForSingleObject(pi->hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(pi->hProcess, 0xDEAD);
        WaitForSingleObject(pi->hProcess, 5000);
    }
    GetExitCodeProcess(pi->hProcess, &code);
    CloseHandle(pi->hThread);
    CloseHandle(pi->hProcess);
    *pi = {};
    return code;
}

bool PumpUntil(const std::function<bool()> &done, int timeoutMs)
{
    for (DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT)) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (done())
            return true;
        if ((int)(GetTickCount() - start) > timeoutMs)
            return false;
    }
}

HWND WindowOf(DWORD processId, const std::function<bool(HWND)> &match)
{
    for (HWND wnd = FindWindowExA(NULL, NULL, NULL, NULL); wnd; wnd = FindWindowExA(NULL, wnd, NULL, NULL)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if ((!processId || pid == processId) && match(wnd))
            return wnd;
    }
    return NULL;
}

std::string ClassOf(HWND wnd)
{
    char name[256] = "";
    GetClassNameA(wnd, name, sizeof(name));
    return name;
}

std::string Gbk(const wchar_t *text)
{
    char gbk[2048] = "";
    WideCharToMultiByte(936, 0, text, -1, gbk, sizeof(gbk) - 1, NULL, NULL);
    return gbk;
}

std::string TextOf(HWND wnd)
{
    wchar_t text[1024] = L"";  // asked for: a control of another process keeps its text itself
    DWORD_PTR ignored;
    SendMessageTimeoutW(wnd, WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &ignored);
    return Gbk(text);
}

bool RegKeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == ERROR_SUCCESS;
}

std::string RegString(HKEY root, const std::string &path, const char *name)
{
    wchar_t buf[1024] = L"", wideName[256] = L"";
    std::wstring widePath(path.begin(), path.end());  // the tests' key names are ASCII
    if (name)
        MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 255);
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    return RegGetValueW(root, widePath.c_str(), name ? wideName : NULL, RRF_RT_REG_SZ, NULL, buf, &size) == ERROR_SUCCESS ? Gbk(buf) : "";
}

DWORD RegDword(HKEY root, const std::string &path, const char *name)
{
    DWORD value = 0, size = sizeof(value);
    RegGetValueA(root, path.c_str(), name, RRF_RT_REG_DWORD, NULL, &value, &size);
    return value;
}

bool RegPutString(HKEY root, const std::string &path, const char *name, const std::string &value)
{
    return RegSetKeyValueA(root, path.c_str(), name, REG_SZ, value.c_str(), value.size() + 1) == ERROR_SUCCESS;
}

bool RegSetDacl(HKEY root, const std::string &path, const char *sddl)
{
    HKEY key;
    PSECURITY_DESCRIPTOR sd;
    SECURITY_INFORMATION parts = DACL_SECURITY_INFORMATION | (sddl[0] == 'O' ? OWNER_SECURITY_INFORMATION : 0);
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, WRITE_DAC | WRITE_OWNER, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    bool set = ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, NULL) &&
               RegSetKeySecurity(key, parts, sd) == ERROR_SUCCESS;
    LocalFree(sd);
    RegCloseKey(key);
    return set;
}

// A test may have denied access to a key anywhere below path; its owner may change that.
static void AllowAll(HKEY root, const std::string &path)
{
    HKEY key;
    char name[256];
    RegSetDacl(root, path, "D:(A;;KA;;;WD)");
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0, size = sizeof(name); RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
         i++, size = sizeof(name))
        AllowAll(root, path + "\\" + name);
    RegCloseKey(key);
}

void RegRemoveTree(HKEY root, const std::string &path)
{
    if (RegKeyExists(root, path))
        AllowAll(root, path);
    RegDeleteTreeA(root, path.c_str());
    RegDeleteKeyA(root, path.c_str());
}

int Containers(DWORD flags)
{
    char user[MAX_PATH];
    DWORD size = sizeof(user), done = 0;
    GetUserNameA(user, &size);
    for (int bits : {1024, 512})
        for (DWORD keySet : {(DWORD)CRYPT_MACHINE_KEYSET, (DWORD)0}) {
            std::string name = "qwill.rsa" + std::to_string(bits) + "." + user;
            HCRYPTPROV prov;
            if (!CryptAcquireContextA(&prov, name.c_str(), bits == 1024 ? MS_ENHANCED_PROV_A : MS_DEF_PROV_A,
                                      PROV_RSA_FULL, flags | keySet))
                continue;
            done++;
            if (!(flags & CRYPT_DELETEKEYSET))
                CryptReleaseContext(prov, 0);
        }
    return done;
}

void CloseMessengers()
{
    std::vector<HANDLE> processes;
    WindowOf(0, [&](HWND wnd) {
        DWORD pid = 0;
        if (_strnicmp(ClassOf(wnd).c_str(), "qwill_class", 11) == 0 && GetWindowThreadProcessId(wnd, &pid)) {
            processes.push_back(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
            PostMessageA(wnd, WM_CLOSE, 0, 0);
        }
        return false;
    });
    for (HANDLE process : processes) {
        if (WaitForSingleObject(process, 3000) != WAIT_OBJECT_0)
            TerminateProcess(process, 0xDEAD);  // one that ignores the request, or hangs
        CloseHandle(process);
    }
    PROCESSENTRY32 entry = {sizeof(entry)};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        HANDLE process = _stricmp(entry.szExeFile, "qwill.exe") ? NULL : OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process && TerminateProcess(process, 0xDEAD))
            WaitForSingleObject(process, 3000);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}

namespace {
struct PrefixState : ::testing::Environment {
    void SetUp() override { ResetPrefix(); }
};
::testing::Environment *const prefixState = ::testing::AddGlobalTestEnvironment(new PrefixState);
}  // namespace

std::string UserInstallFolder()
{
    char folder[MAX_PATH];
    if (SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA, NULL, 0, folder) != S_OK)
        return "";
    return folder + std::string("\\Programs\\Qwill");
}

const char *const COMMON_FOLDERS[3] = {"Common Startup", "Common Programs", "Common Desktop"};
const char *const FIREWALL_CLASSES[2] = {"{E2B3C97F-6AE1-41AC-817A-F6F92166D7DD}", "{2C5BC43E-3369-4C33-AB0C-BE9469677AF4}"};

void ResetPrefix()
{
    const std::string version = "Software\\Microsoft\\Windows\\CurrentVersion";
    const struct {
        HKEY root;
        const char *name, *folder;
    } shellFolders[] = {  // Wine's
        {HKEY_CURRENT_USER, "Desktop", "%USERPROFILE%\\Desktop"},
        {HKEY_CURRENT_USER, "Programs", "%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
        {HKEY_CURRENT_USER, "Startup", "%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"},
        {HKEY_LOCAL_MACHINE, COMMON_FOLDERS[0], "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"},
        {HKEY_LOCAL_MACHINE, COMMON_FOLDERS[1], "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs"},
        {HKEY_LOCAL_MACHINE, COMMON_FOLDERS[2], "%PUBLIC%\\Desktop"}};
    CloseMessengers();
    Containers(CRYPT_DELETEKEYSET);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegRemoveTree(root, version + "\\App Paths\\qwill.exe");
        RegRemoveTree(root, version + "\\Uninstall\\Qwill");
    }
    for (const char *parent : {"\\App Paths", "\\Uninstall"}) {
        HKEY key;  // made when a run cut short left it missing
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, (version + parent).c_str(), &key) == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    RegPutString(HKEY_LOCAL_MACHINE, version, "ProgramFilesDir", "C:\\Program Files");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                       "PendingFileRenameOperations");
    RegRemoveTree(HKEY_CURRENT_USER, "software\\Korvane");
    RegRemoveTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
    RegRemoveTree(HKEY_LOCAL_MACHINE, "Software\\QwillTest");
    for (const char *firewallClass : FIREWALL_CLASSES)  // Wine's own, which takes no rules
        RegPutString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + firewallClass + "\\InprocServer32", NULL,
                     "C:\\windows\\system32\\hnetcfg.dll");
    for (const auto &folder : shellFolders) {
        char path[MAX_PATH];
        ExpandEnvironmentStringsA(folder.folder, path, sizeof(path));
        SHCreateDirectoryExA(NULL, path, NULL);
        RegSetKeyValueA(folder.root, (version + "\\Explorer\\User Shell Folders").c_str(), folder.name, REG_EXPAND_SZ,
                        folder.folder, lstrlenA(folder.folder) + 1);
        RegPutString(folder.root, version + "\\Explorer\\Shell Folders", folder.name, path);
    }
    // Wine hands folders to its explorer through DDE
    RegRemoveTree(HKEY_CLASSES_ROOT, "Folder\\shell\\open\\command");
    RegPutString(HKEY_CLASSES_ROOT, "Folder\\shell\\open\\ddeexec", NULL, "[ViewFolder(%l, %I, %S)]");
    RegPutString(HKEY_CLASSES_ROOT, "Folder\\shell\\open\\ddeexec", "NoActivateHandler", "");
    RegPutString(HKEY_CLASSES_ROOT, "Folder\\shell\\open\\ddeexec\\application", NULL, "Folders");
    for (const char *scratch : {"C:\\qwilltest", "N:\\qwilltest", "S:\\Qwill"})
        RemoveTree(scratch);
    if (!UserInstallFolder().empty())
        RemoveTree(UserInstallFolder());
}
