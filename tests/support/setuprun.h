// Drives a real setup.exe process as a user would: finds its dialog, reads and clicks its
// controls, answers its message boxes, and waits (bounded) for it to end.
#ifndef SETUPRUN_H
#define SETUPRUN_H

#include "boxes.h"

#include <functional>
#include <string>

class SetupRun {
public:
    ~SetupRun();

    // Starts the command line and waits for the main dialog to show (false if it does not).
    bool Start(const std::string &cmdLine, bool waitForDialog = true);

    std::string Caption();
    std::string Text(int id);
    void SetText(int id, const std::string &text);
    bool Enabled(int id);
    bool Checked(int id);
    HWND Sheet();                 // the option sheet inside the option area
    int SheetResource();          // 101 or 151, told by its controls
    bool SheetChecked(int id);
    void Click(int id);           // a button of the main dialog
    void ClickSheet(int id);      // a check box of the sheet
    void Key(HWND target, UINT vk);

    // The next message box of the process: read, then (after beforeAnswer, if given) answered.
    bool NextBox(BoxSeen *seen, int answer, int timeoutMs = 10000, std::function<void()> beforeAnswer = nullptr);
    // A window of the process with this caption (the folder browser, say).
    HWND WaitWindow(const char *caption, int timeoutMs = 10000);

    // Waits for the process to end (killing it after the limit) and returns its exit code.
    DWORD Finish(int timeoutMs = 20000);

    HWND dialog = NULL;
    PROCESS_INFORMATION pi = {};
};

#endif
