// The real setup.exe at work: its world, and a driver that uses it as a person does.
#include "world.h"

#include <algorithm>
#include <fstream>

static std::vector<std::string> LinesOf(const std::string &file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

SetupWorld::SetupWorld(const std::string &name)
    : root("C:\\qwilltest\\" + name), setupDir(root + "\\setup"), installDir(root + "\\Program Files\\Qwill")
{
    const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    const char *const linkValues[3] = {"Startup", "Programs", "Desktop"};
    MakeFolders(setupDir + "\\org");
    MakeFolders(root + "\\Program Files");
    RegPutString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                 root + "\\Program Files");
    std::string messenger = ReadBytes(BuiltFile("messenger\\qwill.exe"));
    WriteBytes(InSetup("qwill.exe"), messenger);
    WriteBytes(InSetup("org\\qwill.exe"), messenger + "ORG");  // the same program, other bytes
    CopyFileA(BuiltFile("setup.exe").c_str(), InSetup("setup.exe").c_str(), FALSE);
    WriteBytes(InSetup("readme.txt"), "Qwill readme\r\n");
    for (int i = 0; i < 3; i++) {
        linkDirs[i] = root + "\\links\\" + linkValues[i];
        userLinkDirs[i] = root + "\\user links\\" + linkValues[i];
        MakeFolders(linkDirs[i]);
        MakeFolders(userLinkDirs[i]);
        // the shell rewrites Shell Folders from User Shell Folders whenever it looks one up
        for (const char *key : {"Shell Folders", "User Shell Folders"}) {
            RegPutString(HKEY_LOCAL_MACHINE, explorer + key, COMMON_FOLDERS[i], linkDirs[i]);
            RegPutString(HKEY_CURRENT_USER, explorer + key, linkValues[i], userLinkDirs[i]);
        }
    }
    RegRemoveTree(HKEY_CLASSES_ROOT, "Folder\\shell\\open\\ddeexec");
    RegPutString(HKEY_CLASSES_ROOT, "Folder\\shell\\open\\command", NULL,
                 "\"" + std::string(ProgramFolder()) + "openrec.exe\" \"%1\"");
    DeleteFileA((std::string(ProgramFolder()) + "opened.txt").c_str());
    for (const char *firewallClass : FIREWALL_CLASSES) {
        RegPutString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + firewallClass + "\\InprocServer32", NULL,
                     std::string(ProgramFolder()) + "firewall.dll");
        RegPutString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + firewallClass + "\\InprocServer32", "ThreadingModel", "Both");
    }
}

static const char FIREWALL_RULES[] = "Software\\QwillTest\\Firewall\\Rules";

std::vector<FirewallRule> FirewallRules()
{
    std::vector<FirewallRule> rules;
    HKEY list, key;
    char number[64], name[256];
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, FIREWALL_RULES, 0, KEY_READ, &list))
        return rules;
    for (DWORD i = 0, size = sizeof(number); !RegEnumKeyExA(list, i, number, &size, NULL, NULL, NULL, NULL); i++, size = sizeof(number)) {
        rules.emplace_back();
        RegOpenKeyExA(list, number, 0, KEY_READ, &key);
        for (DWORD v = 0, nameSize = sizeof(name); !RegEnumValueA(key, v, name, &nameSize, NULL, NULL, NULL, NULL); v++, nameSize = sizeof(name))
            rules.back()[name] = RegString(key, "", name);
        RegCloseKey(key);
    }
    RegCloseKey(list);
    return rules;
}

void AddFirewallRule(const FirewallRule &rule)
{
    const std::string key = std::string(FIREWALL_RULES) + "\\" + std::to_string(100 + FirewallRules().size());
    for (const auto &value : rule)
        RegPutString(HKEY_LOCAL_MACHINE, key, value.first.c_str(), value.second);
}

std::vector<std::string> SetupWorld::Opened(int waitMs) const
{
    std::vector<std::string> lines;  // the recorder is a process of its own: give it a moment
    PumpUntil([&] { return !(lines = LinesOf(std::string(ProgramFolder()) + "opened.txt")).empty(); }, waitMs);
    return lines;
}

std::vector<std::string> SetupWorld::Starts(const std::string &folder) const
{
    return LinesOf(folder + "\\qwill.started");
}

bool SetupRun::Start(const std::string &cmdLine, bool waitForDialog, RunBy by)
{
    if (!StartProcess(cmdLine, &pi, by) || !waitForDialog)
        return pi.hProcess != NULL;
    // the dialog shows itself before its start-up work ends: it is there once its sheet is
    bool shown = PumpUntil([&] {
        dialog = WindowOf(pi.dwProcessId, [](HWND wnd) {
            return IsWindowVisible(wnd) && FindWindowExA(GetDlgItem(wnd, IDC_OPTION_AREA), NULL, NULL, NULL);
        });
        return dialog != NULL;
    }, 15000);
    WaitForInputIdle(pi.hProcess, 10000);
    return shown;
}

// The pixels of a w x h picture on background, as draw leaves it.
static std::vector<DWORD> Picture(int w, int h, DWORD background, const std::function<void(HDC)> &draw)
{
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), w, -h, 1, 32}};
    DWORD *bits;
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(dc, CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void **)&bits, NULL, 0));
    std::fill(bits, bits + w * h, background);
    draw(dc);
    GdiFlush();
    std::vector<DWORD> pixels(bits, bits + w * h);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return pixels;
}

// The MB_ICON... of the icon a box shows: 0 for none, MB_USERICON for another (or one not painted
// yet). Its picture on the screen is compared with the system's icons drawn here: an icon handle
// means nothing outside its process.
static UINT IconOf(HWND box)
{
    HWND icon = GetDlgItem(box, 0x440);  // the icon control of Wine's message box
    RECT r;
    if (!SendMessageA(icon, STM_GETICON, 0, 0) || !GetWindowRect(icon, &r))
        return 0;
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    const std::vector<DWORD> shown = Picture(w, h, 0, [&](HDC dc) { BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY); });
    ReleaseDC(NULL, screen);
    auto drawn = [&](LPCSTR id) {
        return Picture(w, h, shown[0], [&](HDC dc) { DrawIconEx(dc, 0, 0, LoadIconA(NULL, id), w, h, 0, NULL, DI_NORMAL); });
    };
    return shown == drawn(IDI_INFORMATION) ? MB_ICONINFORMATION : shown == drawn(IDI_WARNING) ? MB_ICONWARNING : MB_USERICON;
}

bool SetupRun::NextBox(BoxSeen *seen, int answer)
{
    HWND box = NULL;
    auto isBox = [&](HWND wnd) { return wnd != dialog && IsWindowVisible(wnd) && GetDlgItem(wnd, 0xFFFF); };
    if (!PumpUntil([&] { return (box = WindowOf(pi.dwProcessId, isBox)) != NULL; }, 10000))
        return false;
    Sleep(50);  // let it finish its layout
    seen->text = TextOf(GetDlgItem(box, 0xFFFF));
    seen->caption = TextOf(box);
    seen->style = GetDlgItem(box, IDRETRY) ? MB_RETRYCANCEL : GetDlgItem(box, IDCANCEL) ? MB_OKCANCEL : MB_OK;
    UINT icon = MB_USERICON;
    PumpUntil([&] { return (icon = IconOf(box)) != MB_USERICON; }, 3000);
    seen->style |= icon;
    PostMessageA(box, WM_COMMAND, answer, 0);
    return PumpUntil([&] { return !IsWindow(box); }, 5000);
}

DWORD RunToEnd(const std::string &cmdLine, bool *shown, RunBy by)
{
    PROCESS_INFORMATION pi;
    bool seen = false;
    if (!StartProcess(cmdLine, &pi, by))
        return 0xFFFFFFFF;
    for (DWORD start = GetTickCount(); WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT && GetTickCount() - start < 30000;)
        seen = seen || WindowOf(pi.dwProcessId, [](HWND wnd) { return IsWindowVisible(wnd) && ClassOf(wnd) != "IME"; });
    if (shown)
        *shown = seen;
    return EndProcess(&pi, 0);
}
