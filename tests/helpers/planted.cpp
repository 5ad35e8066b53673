// A DLL planted beside setup.exe under a system library's name: it leaves planted.loaded
// beside itself when a process loads it.
#include <windows.h>
#include <string.h>

extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(self, path, sizeof(path) - 16);
    char *slash = strrchr(path, '\\');
    if (len && slash) {
        strcpy(slash + 1, "planted.loaded");
        CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}
