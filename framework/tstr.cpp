// Bounded string copy and formatting over the C runtime's _vsnprintf.
#include "tstr.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static BOOL BoundedFormatV(char *dst, int size, const char *format, va_list args)
{
    if (!dst || size <= 0)
        return FALSE;
    int n = _vsnprintf(dst, size, format, args);
    if (n < 0 || n >= size) {
        dst[0] = 0;
        return FALSE;
    }
    return TRUE;
}

BOOL BoundedFormat(char *dst, int size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    BOOL ok = BoundedFormatV(dst, size, format, args);
    va_end(args);
    return ok;
}

BOOL BoundedCopy(char *dst, int size, const char *src)
{
    if (!dst || size <= 0)
        return FALSE;
    size_t len = strlen(src);
    if (len >= (size_t)size) {
        dst[0] = 0;
        return FALSE;
    }
    memcpy(dst, src, len + 1);
    return TRUE;
}

BOOL BoundedAppend(char *dst, int size, const char *src)
{
    if (!dst || size <= 0)
        return FALSE;
    size_t used = 0;
    while (used < (size_t)size && dst[used])
        used++;
    size_t len = strlen(src);
    if (used + len >= (size_t)size)
        return FALSE;
    memcpy(dst + used, src, len + 1);
    return TRUE;
}
