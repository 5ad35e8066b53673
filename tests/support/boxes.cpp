// Message boxes in tests: a recording owner, and an answerer for real message-box windows.
#include "boxes.h"

namespace {
BoxAnswerer *current;

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && current) {
        HWND box = (HWND)wParam;
        char cls[16] = "";
        GetClassNameA(box, cls, sizeof(cls));
        if (strcmp(cls, "#32770") == 0 && GetDlgItem(box, 0xFFFF)) {
            current->boxes.push_back(ReadBox(box));
            int answer = IDOK;
            if (!current->answers.empty()) {
                answer = current->answers.front();
                current->answers.erase(current->answers.begin());
            }
            PostMessageA(box, WM_COMMAND, answer, 0);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
}  // namespace

BoxSeen ReadBox(HWND box)
{
    BoxSeen seen;
    char buf[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, buf, sizeof(buf));
    seen.text = buf;
    buf[0] = 0;
    GetWindowTextA(box, buf, sizeof(buf));
    seen.caption = buf;
    seen.style = GetDlgItem(box, IDRETRY) ? MB_RETRYCANCEL : GetDlgItem(box, IDCANCEL) ? MB_OKCANCEL : MB_OK;
    HWND icon = GetDlgItem(box, 0x14);  // the icon's id differs between systems
    if (!icon)
        icon = GetDlgItem(box, 0x440);
    if (icon && SendMessageA(icon, STM_GETICON, 0, 0))
        seen.style |= seen.style == MB_RETRYCANCEL ? MB_ICONWARNING : MB_ICONINFORMATION;
    return seen;
}

int BoxScript::Answer(const char *text, const char *caption, UINT style)
{
    boxes.push_back({text, caption, style});
    if (answers.empty())
        return IDOK;
    int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

BoxAnswerer::BoxAnswerer(std::vector<int> script) : answers(script)
{
    current = this;
    hook = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId());
}

BoxAnswerer::~BoxAnswerer()
{
    UnhookWindowsHookEx(hook);
    current = nullptr;
}
