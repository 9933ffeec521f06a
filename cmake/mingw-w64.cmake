# What the two mingw-w64 toolchains share; each sets ZARVIK_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first. The -posix compilers give std::thread and
# std::mutex through winpthread, which the DLL links statically.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZARVIK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARVIK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZARVIK_MINGW_TRIPLE}-windres)

# Look for libraries and headers only in the target's sysroot and in the
# prefixes we build ourselves; programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZARVIK_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs are run under wine; wine64 hands 32-bit programs to the i386
# loader, so one runner serves both widths.
find_program(ZARVIK_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(ZARVIK_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZARVIK_WINE64})
endif()
