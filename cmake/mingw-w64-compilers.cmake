# The MinGW-w64 compilers for 64-bit Windows (Debian's g++-mingw-w64-x86-64-posix)
# and where libraries for Windows are looked for: MinGW's own folder and the
# prefix ORVANDEL_WINDOWS_PREFIX when set. scripts/windows-deps.sh builds Qt and
# the workbook libraries with this file alone, and its prefix is keyed by it;
# the program's build includes it from mingw-w64-x86_64.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# try_compile projects read this file again and need the prefix as well.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVANDEL_WINDOWS_PREFIX)

# Libraries and headers come from the Windows side only, never the machine's.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${ORVANDEL_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(ORVANDEL_WINDOWS_PREFIX)
    list(APPEND CMAKE_PREFIX_PATH ${ORVANDEL_WINDOWS_PREFIX})
endif()
