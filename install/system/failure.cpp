// A failed call as the step log tells it, with the system's own words for it.
#include "failure.h"
#include "tstr.h"

// "failed, " number, and the system's text for message when it has one.
static const char *Failure(const char *number, DWORD message, char *buf, int size)
{
    char text[FAILURE_TEXT_SIZE] = "";
    DWORD len = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, message, 0, text,
                                 sizeof(text), NULL);
    while (len > 0 && (text[len - 1] == '\r' || text[len - 1] == '\n' || text[len - 1] == ' ' || text[len - 1] == '.'))
        text[--len] = 0;
    BoundedFormat(buf, size, len ? "failed, %s (%s)" : "failed, %s", number, text);
    return buf;
}

const char *FailureText(DWORD error, char *buf, int size)
{
    char number[16];
    BoundedFormat(number, sizeof(number), "%lu", error);
    return Failure(number, error, buf, size);
}

const char *HresultText(HRESULT result, char *buf, int size)
{
    char number[16];
    BoundedFormat(number, sizeof(number), "0x%08lX", (unsigned long)result);
    return Failure(number, HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : (DWORD)result, buf, size);
}
