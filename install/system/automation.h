// The automation library's strings and variants, looked up when first used: only the
// firewall's rules and a start through the desktop shell need them, and most runs do neither.
#ifndef AUTOMATION_H
#define AUTOMATION_H

#include <windows.h>
#include <oleauto.h>

// A new string with text's copy (SysAllocString); NULL where it cannot be made.
BSTR NewAutomationString(const WCHAR *text);

// Frees text (SysFreeString); NULL is nothing to free.
void FreeAutomationString(BSTR text);

// Frees what variant holds and leaves it empty (VariantClear).
void ClearVariant(VARIANT *variant);

#endif
