// A failed call in words, for the step log.
#ifndef FAILURE_H
#define FAILURE_H

#include <windows.h>

// A failed call as the log tells it, into buf (size bytes): "failed, N (the system's text)".
const int FAILURE_TEXT_SIZE = 256;
const char *FailureText(DWORD error, char *buf, int size);
// The same for a COM call's result: "failed, 0x800706D9 (the system's text)".
const char *HresultText(HRESULT result, char *buf, int size);

#endif
