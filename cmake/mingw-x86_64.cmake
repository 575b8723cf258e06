# Cross build for 64-bit Windows (x64) with Debian's MinGW-w64 compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run through 64-bit Wine. Debian's wine wrapper would take the
# 32-bit loader whenever wine32 is installed, so the 64-bit loader is named
# directly (tools/lib/wine-prefix.sh also sets WINELOADER to it).
find_program(WINE_PROGRAM wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE_PROGRAM wine64)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
