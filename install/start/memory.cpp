// Heap operators of setup.exe over malloc/free: a failed allocation yields null, which every
// caller checks, and the C++ runtime's exception machinery stays out of the program.
#include <stdlib.h>
#include <new>

void *operator new(size_t size) { return malloc(size); }
void *operator new[](size_t size) { return malloc(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept { return malloc(size); }
void operator delete(void *p) noexcept { free(p); }
void operator delete[](void *p) noexcept { free(p); }
void operator delete(void *p, size_t) noexcept { free(p); }
void operator delete[](void *p, size_t) noexcept { free(p); }

extern "C" void __cxa_pure_virtual() { abort(); }
