// The world a setup run acts on, made for one test and taken down after it.
#include "world.h"
#include "prefix.h"
#include "scratch.h"
#include "winwait.h"

#include <string.h>

namespace {
const char CURRENT_VERSION[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char SHELL_FOLDERS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char FOLDER_OPEN[] = "Folder\\shell\\open";
const char *const LINK_VALUES[3] = {"Startup", "Programs", "Desktop"};

const char USER_SHELL_FOLDERS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Asks every stand-in messenger window to close; collects their processes to wait for.
BOOL CALLBACK CloseMessenger(HWND wnd, LPARAM processes)
{
    char cls[100] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    if (_strnicmp(cls, "qwill_class", 11) == 0) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        if (process)
            ((std::vector<HANDLE> *)processes)->push_back(process);
        PostMessageA(wnd, WM_CLOSE, 0, 0);
    }
    return TRUE;
}
}  // namespace

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

SetupWorld::SetupWorld(const std::string &name)
{
    root = "C:\\qwilltest\\" + name;
    RemoveTree(root);
    setupDir = root + "\\setup";
    installDir = root + "\\Program Files\\Qwill";
    MakeFolders(setupDir + "\\org");
    MakeFolders(root + "\\Program Files");
    RegPutString(HKEY_LOCAL_MACHINE, CURRENT_VERSION, "ProgramFilesDir", root + "\\Program Files");

    std::string messenger = ReadBytes(BuiltFile("messenger\\qwill.exe"));
    WriteBytes(InSetup("qwill.exe"), messenger);
    WriteBytes(InSetup("org\\qwill.exe"), messenger + "ORG");  // same program, other bytes
    CopyFileA(BuiltFile("setup.exe").c_str(), InSetup("setup.exe").c_str(), FALSE);
    WriteBytes(InSetup("readme.txt"), "Qwill readme\r\n");

    for (int i = 0; i < 3; i++) {
        linkDirs[i] = root + "\\links\\" + LINK_VALUES[i];
        MakeFolders(linkDirs[i]);
    }
    PointShellFolders();

    RegRemoveTree(HKEY_CLASSES_ROOT, std::string(FOLDER_OPEN) + "\\ddeexec");
    RegPutString(HKEY_CLASSES_ROOT, std::string(FOLDER_OPEN) + "\\command", NULL,
                 "\"" + std::string(ProgramFolder()) + "openrec.exe\" \"%1\"");
    DeleteFileA((std::string(ProgramFolder()) + "opened.txt").c_str());
}

SetupWorld::~SetupWorld()
{
    ResetPrefix();
}

void SetupWorld::PointShellFolders() const
{
    // the shell rewrites Shell Folders from User Shell Folders whenever it looks a folder up
    for (int i = 0; i < 3; i++)
        for (const char *key : {SHELL_FOLDERS, USER_SHELL_FOLDERS})
            RegPutString(HKEY_CURRENT_USER, key, LINK_VALUES[i], linkDirs[i]);
}

std::vector<std::string> SetupWorld::Opened(int waitMs) const
{
    // the recorder runs as its own process: give it a moment to write
    std::vector<std::string> lines;
    PumpUntil([&] { return !(lines = Lines(ReadBytes(std::string(ProgramFolder()) + "opened.txt"))).empty(); }, waitMs);
    // recorded as "%1": the folder in quotes, with the separator the program ends it with
    for (std::string &line : lines) {
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        if (!line.empty() && line.back() == '\\')
            line.pop_back();
    }
    return lines;
}

std::vector<std::string> SetupWorld::Starts(const std::string &folder) const
{
    return Lines(ReadBytes(folder + "\\qwill.started"));
}

void SetupWorld::CloseMessengers()
{
    std::vector<HANDLE> processes;
    EnumWindows(CloseMessenger, (LPARAM)&processes);
    for (HANDLE process : processes) {
        // one that ignores WM_CLOSE (or hangs) is ended
        if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process, 0xDEAD);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
}
