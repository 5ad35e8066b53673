// Bounded string copy and formatting: a result that does not fit is a failure, never truncated.
#ifndef TSTR_H
#define TSTR_H

#include <windows.h>

// Copies src into dst (size bytes). On overflow dst becomes "" and FALSE is returned.
BOOL BoundedCopy(char *dst, int size, const char *src);

// printf-style formatting into dst (size bytes). On overflow dst becomes "" and FALSE is returned.
BOOL BoundedFormat(char *dst, int size, const char *format, ...);

// Appends src to the string already in dst; on overflow dst keeps its old text and FALSE is returned.
BOOL BoundedAppend(char *dst, int size, const char *src);

#endif
