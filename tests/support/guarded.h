// A MAX_PATH buffer followed by guard bytes that a bounded write must leave alone.
#ifndef GUARDED_H
#define GUARDED_H

#include <windows.h>
#include <string.h>

struct GuardedPath {
    static const int GUARD = 64;
    char buf[MAX_PATH];
    unsigned char guard[GUARD];

    GuardedPath() { Reset(); }
    void Reset()
    {
        memset(buf, 'x', sizeof(buf));
        buf[MAX_PATH - 1] = 0;
        memset(guard, 0xCC, sizeof(guard));
    }
    bool Intact() const
    {
        for (int i = 0; i < GUARD; i++)
            if (guard[i] != 0xCC)
                return false;
        return true;
    }
};

#endif
