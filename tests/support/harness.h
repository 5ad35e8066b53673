// What the tests work with: files, processes and windows under a time limit, the registry and
// key containers of the scratch Wine prefix, and the state every test program starts from.
#ifndef HARNESS_H
#define HARNESS_H

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

inline bool FileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline bool MakeFolders(const std::string &path)  // every missing level
{
    SHCreateDirectoryExA(NULL, path.c_str(), NULL);
    return FileExists(path);
}
void RemoveTree(const std::string &path);
bool WriteBytes(const std::string &path, const std::string &bytes);
std::string ReadBytes(const std::string &path);
std::vector<std::string> FileNames(const std::string &folder);  // the files in it, sorted

// A host program run as Wine runs one ("Z:\\bin\\ln -s ..."), to its end; the host's path of a
// Windows path (its last part may be missing), for its arguments. Symbolic links stand in for
// junctions, which Wine follows alike, and a FIFO for a file whose copy stalls.
bool RunHost(const std::string &cmdLine);
std::string HostPath(const std::string &path);

const char *ProgramFolder();  // this test program's folder, ending in '\'
// A program the build made beside the tests.
inline std::string BuiltFile(const char *relative) { return std::string(ProgramFolder()) + "..\\" + relative; }

// Who runs a program, and where: an administrator (as Wine runs every process); a standard
// user (a token whose Administrators group only denies); in another session (on another
// desktop, whose windows no FindWindow here sees); where no person sees it (a window station
// that is not visible, as a service's or session 0's).
enum RunBy { ADMINISTRATOR, STANDARD_USER, OTHER_SESSION, NO_ONE_SEES };
bool StartProcess(const std::string &cmdLine, PROCESS_INFORMATION *pi, RunBy by = ADMINISTRATOR);
// Waits for the process to end, kills it after timeoutMs, and returns its exit code.
DWORD EndProcess(PROCESS_INFORMATION *pi, int timeoutMs = 10000);
// Dispatches this thread's messages until done() holds or timeoutMs have passed.
bool PumpUntil(const std::function<bool()> &done, int timeoutMs = 5000);
// The first top-level window of the process (any process: 0) that match accepts.
HWND WindowOf(DWORD processId, const std::function<bool(HWND)> &match);
std::string ClassOf(HWND wnd);
// Texts as Windows holds them (UTF-16), in GBK whatever this program's code page is.
std::string Gbk(const wchar_t *text);
std::string TextOf(HWND wnd);

bool RegKeyExists(HKEY root, const std::string &path);
std::string RegString(HKEY root, const std::string &path, const char *name);  // in GBK; "" when missing
DWORD RegDword(HKEY root, const std::string &path, const char *name);
// Writes a string value (name NULL: the default value), making the key when missing.
bool RegPutString(HKEY root, const std::string &path, const char *name, const std::string &value);
// The access list (and owner, when sddl names one), making the key when missing.
bool RegSetDacl(HKEY root, const std::string &path, const char *sddl);
void RegRemoveTree(HKEY root, const std::string &path);  // whatever access lists it holds

// The messenger's four key containers (qwill.rsa1024/512.<user>, machine and user key set), by
// CryptAcquireContext's flags: 0 counts, CRYPT_NEWKEYSET makes, CRYPT_DELETEKEYSET deletes them.
int Containers(DWORD flags);

// Where setup.exe installs for this user by default: %LOCALAPPDATA%\Programs\Qwill.
std::string UserInstallFolder();

// Closes every stand-in messenger window (ending the ones that do not close), and ends the
// messengers of other desktops.
void CloseMessengers();

// The firewall's policy and rule classes, which a world serves from tests/helpers/firewall.cpp.
extern const char *const FIREWALL_CLASSES[2];

// Where setup.exe links for all users: "Common Startup", "Common Programs", "Common Desktop".
extern const char *const COMMON_FOLDERS[3];

// Puts back what the tests change, from Wine's defaults, not from a copy: a run cut short may
// have left anything changed, and every test program starts with this. No messenger runs, none
// of its keys, key containers, scratch files or installs for the user are left; Shell Folders,
// ProgramFilesDir, the folder verb, the App Paths and Uninstall keys and the Wine settings of
// setup.exe are Wine's.
void ResetPrefix();

#endif
