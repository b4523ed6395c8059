# Cross build for 32-bit (i386) Windows with clang and lld instead of the MinGW GCC.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(KRUMENFEGER_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/clang-mingw.cmake)
