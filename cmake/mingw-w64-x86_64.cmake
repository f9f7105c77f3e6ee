# Cross-builds for 64-bit Windows with Debian's MinGW-w64 and runs the programs,
# for their tests, under Wine (package wine64). Used by the preset mingw.
#
# Qt and the workbook libraries come from the prefix that
# scripts/windows-deps.sh builds: ORVANDEL_WINDOWS_PREFIX (a CMake variable or
# the environment) names it; when neither does, the script is asked where the
# prefix of this source tree is.
if(NOT ORVANDEL_WINDOWS_PREFIX AND DEFINED ENV{ORVANDEL_WINDOWS_PREFIX})
    set(ORVANDEL_WINDOWS_PREFIX "$ENV{ORVANDEL_WINDOWS_PREFIX}")
endif()
if(NOT ORVANDEL_WINDOWS_PREFIX)
    execute_process(
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows-deps.sh --prefix
        OUTPUT_VARIABLE ORVANDEL_WINDOWS_PREFIX
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
set(ORVANDEL_WINDOWS_PREFIX "${ORVANDEL_WINDOWS_PREFIX}" CACHE PATH
    "Qt and the workbook libraries for Windows (made by scripts/windows-deps.sh)")
if(NOT ORVANDEL_WINDOWS_PREFIX AND NOT CMAKE_IN_TRY_COMPILE)
    message(FATAL_ERROR "Qt and the workbook libraries for Windows are not built yet: "
                        "run bash scripts/windows-deps.sh (or bash scripts/windows.sh).")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)

if(ORVANDEL_WINDOWS_PREFIX)
    # Qt for Windows runs the machine's own moc, rcc and uic (Debian's
    # qt6-base-dev-tools, the same Qt release).
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
    # pkg-config finds the workbook libraries of the prefix, not the machine's.
    set(ENV{PKG_CONFIG_LIBDIR} "${ORVANDEL_WINDOWS_PREFIX}/lib/pkgconfig")
    set(ENV{PKG_CONFIG_PATH} "")
endif()

# CTest runs the test programs through this: Wine, with their output passed
# on when they end.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
