# CMake toolchain file: Debian 12 host -> Windows x86-64 with mingw-w64 (GCC 12, posix threads).
# The Windows SDK (Qt in <sdk>/qt6-win, the libraries in <sdk>/sdk) is named by QUVO_WIN_SDK, a cache
# variable or the environment variable of that name (scripts/windows/lib.sh sets it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR /usr/bin/${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "")

if(NOT QUVO_WIN_SDK)
    set(QUVO_WIN_SDK "$ENV{QUVO_WIN_SDK}")
endif()
set(QUVO_WIN_SDK "${QUVO_WIN_SDK}" CACHE PATH "Windows SDK: qt6-win/ and sdk/ (scripts/windows/sdk.sh)")
# try_compile projects see the variable too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUVO_WIN_SDK)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
if(QUVO_WIN_SDK)
    list(APPEND CMAKE_FIND_ROOT_PATH ${QUVO_WIN_SDK}/sdk ${QUVO_WIN_SDK}/qt6-win)
    # pkg-config sees only the Windows .pc files.
    set(ENV{PKG_CONFIG_LIBDIR} "${QUVO_WIN_SDK}/sdk/lib/pkgconfig")
    set(ENV{PKG_CONFIG_PATH} "")
    set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's host tools (moc, rcc, uic) are Debian's Qt of the same version.
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
