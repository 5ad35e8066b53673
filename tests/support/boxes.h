// Message boxes in tests: a recording owner, and an answerer for real message-box windows.
#ifndef BOXES_H
#define BOXES_H

#include "twin.h"

#include <string>
#include <vector>

struct BoxSeen {
    std::string text;
    std::string caption;
    UINT style;  // as asked (recording owner) or as seen: the buttons, and an icon as the boxes use it
};

// Records each box asked for and answers from a script (IDOK when the script runs out).
struct BoxScript {
    std::vector<BoxSeen> boxes;
    std::vector<int> answers;
    int Answer(const char *text, const char *caption, UINT style);
};

// A window object whose MessageBox is a BoxScript.
class TBoxOwner : public TWin {
public:
    BoxScript script;
    std::vector<BoxSeen> &boxes = script.boxes;
    std::vector<int> &answers = script.answers;
    int MessageBox(const char *text, const char *caption, UINT style) override
    {
        return script.Answer(text, caption, style);
    }
};

// While it lives, every real message box of this thread is read and answered from the
// script (IDOK when it runs out) as soon as it is activated.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<int> answers = {});
    ~BoxAnswerer();
    std::vector<BoxSeen> boxes;
    std::vector<int> answers;
private:
    HHOOK hook;
};

// Reads a message-box window: its text, caption and what its buttons and icon show.
BoxSeen ReadBox(HWND box);

#endif
