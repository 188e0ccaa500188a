#!/usr/bin/env bash
# Cross-builds the program's C/C++ libraries for x86_64-w64-mingw32 into <out>/sdk: PCRE2, libcurl
# (TLS by Schannel), libqrencode, OpenCC with its character tables. DLLs in sdk/bin, import
# libraries in sdk/lib, .pc files in sdk/lib/pkgconfig. Under 3 minutes on 2 cores.
# Usage: build-deps.sh <work folder holding the source tarballs> <out folder>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$1"
out="$2"
sdk="$out/sdk"
jobs="${JOBS:-$(nproc)}"
host=x86_64-w64-mingw32
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib STRIP=$host-strip
export RC=$host-windres WINDRES=$host-windres
export PKG_CONFIG_LIBDIR=$sdk/lib/pkgconfig PKG_CONFIG_PATH=
mkdir -p "$sdk"

unpack() { # unpack <dir> <tarball>
    [ -d "$work/$1" ] || tar -C "$work" -xf "$work/$2"
}

fresh() { # fresh <name>: an empty build folder, entered
    rm -rf "$work/build-$1" && mkdir -p "$work/build-$1" && cd "$work/build-$1"
}

unpack pcre2-10.42 pcre2_10.42.orig.tar.gz
fresh pcre2
"$work/pcre2-10.42/configure" --host=$host --prefix="$sdk" --enable-shared --disable-static \
    --enable-pcre2-8 --disable-pcre2-16 --disable-pcre2-32 --enable-jit \
    --disable-pcre2grep-libz --disable-pcre2grep-libbz2 --disable-pcre2test-libreadline
make -j"$jobs"
make install

# HTTP and HTTPS only; TLS by Schannel, the system's.
unpack curl-7.88.1 curl_7.88.1.orig.tar.gz
fresh curl
"$work/curl-7.88.1/configure" --host=$host --prefix="$sdk" --enable-shared --disable-static \
    --with-schannel --without-openssl --without-zlib --without-brotli --without-zstd \
    --without-libpsl --without-libidn2 --without-nghttp2 --without-libssh2 --without-librtmp \
    --disable-ftp --disable-file --disable-ldap --disable-ldaps --disable-rtsp --disable-dict \
    --disable-telnet --disable-tftp --disable-pop3 --disable-imap --disable-smb --disable-smtp \
    --disable-gopher --disable-mqtt --disable-manual
make -j"$jobs" -C lib
make -C lib install
make -C include install
make install-pkgconfigDATA

unpack qrencode-4.1.1 qrencode_4.1.1.orig.tar.bz2
fresh qrencode
"$work/qrencode-4.1.1/configure" --host=$host --prefix="$sdk" --enable-shared --disable-static --without-tools
make -j"$jobs"
make install

# OpenCC's source from its npm package (it has no CMake file of its own there: opencc-cmake/).
[ -d "$work/opencc-1.1.8" ] ||
    { mkdir -p "$work/opencc-1.1.8" && tar -C "$work/opencc-1.1.8" --strip-components=1 -xzf "$work/opencc-1.1.8.tgz"; }
rm -rf "$work/build-opencc"
cmake -S "$here/opencc-cmake" -B "$work/build-opencc" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$here/toolchain-mingw64.cmake" -DQUVO_WIN_SDK="$out" -DCMAKE_INSTALL_PREFIX="$sdk" \
    -DOPENCC_SRC="$work/opencc-1.1.8"
cmake --build "$work/build-opencc" --parallel "$jobs"
cmake --install "$work/build-opencc"
# The character tables are the same on every platform: Debian's.
mkdir -p "$sdk/share/opencc"
cp /usr/share/opencc/STCharacters.ocd2 /usr/share/opencc/TSCharacters.ocd2 "$sdk/share/opencc/"
