# Cross toolchain: 64-bit Windows programs, for the tests and the demo on machines whose
# kernel cannot run 32-bit programs (and so not 32-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
