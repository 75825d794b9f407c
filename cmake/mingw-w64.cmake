# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads,
# which Qt 6 needs). The Windows libraries that the build finds are those in
# MinGW's own root and in ZPLTEST_WINDOWS_PREFIX (Qt, qrencode, zint), given
# as a cache variable or in the environment.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
if(NOT ZPLTEST_WINDOWS_PREFIX)
    set(ZPLTEST_WINDOWS_PREFIX "$ENV{ZPLTEST_WINDOWS_PREFIX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZPLTEST_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${ZPLTEST_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config (libqrencode) looks at the Windows libraries only.
set(ENV{PKG_CONFIG_LIBDIR} "${ZPLTEST_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
# zlib (the renderer's ^GF) goes into the programs: no zlib1.dll to ship.
set(ZLIB_USE_STATIC_LIBS ON)
