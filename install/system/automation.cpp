// The automation library, loaded at its first use.
#include "automation.h"
#include "tsystem.h"

static HMODULE Library()
{
    static HMODULE library;
    if (!library)
        library = ::LoadLibraryA("oleaut32.dll");
    return library;
}

BSTR NewAutomationString(const WCHAR *text)
{
    typedef BSTR(WINAPI * AllocFunc)(const OLECHAR *);
    AllocFunc alloc = FunctionOf<AllocFunc>(Library(), "SysAllocString");
    return alloc ? alloc(text) : NULL;
}

void FreeAutomationString(BSTR text)
{
    typedef void(WINAPI * FreeFunc)(BSTR);
    FreeFunc free = text ? FunctionOf<FreeFunc>(Library(), "SysFreeString") : NULL;
    if (free)
        free(text);
}

void ClearVariant(VARIANT *variant)
{
    typedef HRESULT(WINAPI * ClearFunc)(VARIANTARG *);
    ClearFunc clear = FunctionOf<ClearFunc>(Library(), "VariantClear");
    if (clear)
        clear(variant);
}
