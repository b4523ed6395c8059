# The second compiler: Debian's clang and lld cross-building for the MinGW-w64 triplet that the including
# toolchain file names, against the same sysroot and with the MinGW GCC's own libstdc++, so the two
# builds differ in the compiler alone. Resources still go through the MinGW windres.
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${KRUMENFEGER_TRIPLET})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${KRUMENFEGER_TRIPLET})
set(CMAKE_RC_COMPILER ${KRUMENFEGER_TRIPLET}-windres)
set(CMAKE_SYSROOT /usr/${KRUMENFEGER_TRIPLET})

# clang finds no GCC installation in Debian's versioned folder ("12-posix"), so the folder of the -posix
# GCC's libstdc++ is asked of that GCC and named outright: its headers for compiling, its libraries for
# linking.
execute_process(COMMAND ${KRUMENFEGER_TRIPLET}-g++-posix -print-file-name=libstdc++.a
    OUTPUT_VARIABLE libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT IS_ABSOLUTE "${libstdcxx}")
    message(FATAL_ERROR "clang builds need ${KRUMENFEGER_TRIPLET}-g++-posix for its libstdc++")
endif()
get_filename_component(KRUMENFEGER_GCC_DIR ${libstdcxx} DIRECTORY)
set(cxx_include ${KRUMENFEGER_GCC_DIR}/include/c++)
# The MinGW GCC predefines these two and built its libstdc++ with them: the library then holds the one
# type_info comparison, which clang would otherwise emit inline as well (a duplicate symbol for lld).
set(CMAKE_CXX_FLAGS_INIT "-D__GXX_TYPEINFO_EQUALITY_INLINE=0 -D__GXX_MERGED_TYPEINFO_NAMES=0")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_CXX_FLAGS_INIT} -isystem ${cxx_include} -isystem ${cxx_include}/${KRUMENFEGER_TRIPLET}")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_CXX_FLAGS_INIT} -isystem ${cxx_include}/backward")
# The -posix libstdc++ is built on winpthread, which GCC links by itself and clang does not; the
# archive is named so that the executable needs no winpthread DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${KRUMENFEGER_GCC_DIR} -l:libwinpthread.a")

# Libraries and headers come from the target's sysroot only; programs (python3, wine) from the host.
set(CMAKE_FIND_ROOT_PATH ${CMAKE_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
