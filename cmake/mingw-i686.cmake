# Cross toolchain: 32-bit Windows programs, as setup.exe ships.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
