// Registered as the open verb for folders in the test prefix, as "%1": records each folder the
// shell was asked to open (one line each, in opened.txt beside this program) and opens nothing.
// It reads its argument as C programs do, by the C runtime's rules for quotes and backslashes.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char *folder = __argc > 1 ? __argv[1] : "";
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, path, sizeof(path) - 16);
    char *slash = strrchr(path, '\\');
    if (!len || !slash)
        return 1;
    strcpy(slash + 1, "opened.txt");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(file, folder, strlen(folder), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
    return 0;
}
