# Cross build for 64-bit (x86-64) Windows with Debian's MinGW-w64 compilers. The -posix variants give
# the C++ standard library its full threading support; everything is linked statically anyway.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(KRUMENFEGER_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KRUMENFEGER_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KRUMENFEGER_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KRUMENFEGER_TRIPLET}-windres)

# Libraries and headers come from the target's sysroot only; programs (python3, wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KRUMENFEGER_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
