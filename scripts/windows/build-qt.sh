#!/usr/bin/env bash
# Cross-builds a trimmed qtbase 6.4.2 (Debian's +dfsg source) for x86_64-w64-mingw32 into
# <out>/qt6-win, with the host tools (moc, rcc, uic, ...) of Debian's qt6-base-dev-tools 6.4.2.
# Usage: build-qt.sh <work folder holding qt6-base_6.4.2+dfsg.orig.tar.xz> <out folder>
# About 28 minutes on 2 cores; peak memory about 1 GB.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$1"
out="$2"
src="$work/qtbase-everywhere-src-6.4.2"
build="$work/build-qtbase"
jobs="${JOBS:-$(nproc)}"

[ -d "$src" ] || tar -C "$work" -xf "$work/qt6-base_6.4.2+dfsg.orig.tar.xz"
# Gui compiles the DirectWrite font database only with direct2d; the windows plugin asks only for
# directwrite3 (a link error in qwindows.dll without direct2d). The patch guards it the same way.
if ! grep -q "directwrite3) && QT_CONFIG(direct2d)" "$src/src/plugins/platforms/windows/qwindowsintegration.cpp"; then
    patch -d "$src" -p1 < "$here/patches/qtbase-6.4.2-no-direct2d.patch"
fi

# -xplatform win32-g++      names the mkspec of the generated qmake; the compilers come from the toolchain file
# -qt-host-path /usr        Debian's host Qt 6.4.2 (CMake packages in the multiarch folder)
# -no-feature-tabletevent   the +dfsg tarball drops src/3rdparty/wintab, which the windows plugin
# -no-feature-direct2d      includes for tablets
# -opengl dynamic           opengl32.dll loaded at run time
# bundled zlib/pcre/png/freetype/harfbuzz/double-conversion: nothing to find for mingw
rm -rf "$build"
mkdir -p "$build"
cd "$build"
QUVO_WIN_SDK="$out" "$src/configure" \
    -prefix "$out/qt6-win" \
    -release -shared \
    -xplatform win32-g++ \
    -qt-host-path /usr \
    -nomake examples -nomake tests \
    -no-dbus -no-icu -no-openssl \
    -no-feature-sql -no-feature-concurrent -no-feature-xml -no-feature-printsupport \
    -no-feature-direct2d -no-feature-tabletevent \
    -no-feature-vulkan -no-libjpeg \
    -opengl dynamic \
    -qt-zlib -qt-pcre -qt-libpng -qt-freetype -qt-harfbuzz -qt-doubleconversion \
    -- \
    -DCMAKE_TOOLCHAIN_FILE="$here/toolchain-mingw64.cmake" \
    -DQUVO_WIN_SDK="$out" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
cmake --build . --parallel "$jobs"
cmake --install .
rm -rf "$build"
