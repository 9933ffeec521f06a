# Cross-building the Windows x86 DLL, for 32-bit 1C clients, with mingw-w64.
set(ZARVIK_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# For everything built with this toolchain (the DLL, tinyxml2 and GoogleTest
# in the prefix, the tests and tools), so that all agree:
# - the MSVC-built client calls us with a stack aligned to 4 bytes only, GCC
#   would assume 16 and misplace its aligned SSE spills: assume 4, realign
#   where needed;
# - SSE2 doubles, as on x64 and in the client itself: no x87 excess precision
#   in amounts, and the SSE2 scans of the XML reader and JSON writer;
# - msvcrt's time_t is 32-bit on x86 unless asked otherwise: dates past 2038.
set(CMAKE_C_FLAGS_INIT "-mincoming-stack-boundary=2 -msse2 -mfpmath=sse -D__MINGW_USE_VC2005_COMPAT")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT}")
