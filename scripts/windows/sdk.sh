#!/usr/bin/env bash
# Makes the Windows SDK once and prints its folder: Qt in <folder>/qt6-win, the libraries in
# <folder>/sdk (OpenCC's tables in sdk/share/opencc, Qt's Chinese texts in sdk/translations).
# The folder is ${XDG_CACHE_HOME:-~/.cache}/quvo/win-sdk-<key>, the key a hash of the scripts and
# patches that make it, so a change to any of them makes a new one. Unpacked from the prebuilt
# trees in ../shared/win-sdk beside the project when they are there (QUVO_WIN_SDK_PREBUILT names
# another folder; QUVO_WIN_SDK_FROM_SOURCE=1 ignores them); otherwise built from Debian's source
# packages (about 30 minutes on 2 cores). Progress goes to stderr.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
# The SDK's own stamp: raise it when its contents change in a way the files below do not show.
stamp="qtbase 6.4.2+dfsg; pcre2 10.42; curl 7.88.1; qrencode 4.1.1; opencc 1.1.8; cpp-httplib 0.11.4; 2"

key=$( { echo "$stamp"; cat "$here/build-qt.sh" "$here/build-deps.sh" "$here/toolchain-mingw64.cmake" \
    "$here/opencc-cmake/CMakeLists.txt" "$here"/patches/*.patch; } | sha256sum | cut -c1-16)
out="${XDG_CACHE_HOME:-$HOME/.cache}/quvo/win-sdk-$key"
if [ -f "$out/.complete" ]; then
    echo "$out"
    exit 0
fi

log() { echo "windows sdk: $*" >&2; }
part="$out.part"
rm -rf "$part"
work="$part/work"
mkdir -p "$work"

# fetch <package> <upstream tarball>...: Debian source packages into $work, by a private source list
# with the deb-src line of the archive this machine installs from. Only the upstream tarballs are
# used, so a Debian part the mirror lacks does not matter.
fetch() {
    local package=$1
    shift
    if [ ! -f "$work/apt/sources.list" ]; then
        mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
        local uri
        uri=$(sed -nE 's/^URIs:\s*(\S+).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
        [ -n "$uri" ] || uri=$(sed -nE 's/^deb\s+(\[[^]]*\]\s+)?(\S+)\s+.*/\2/p' /etc/apt/sources.list | head -1)
        echo "deb-src $uri bookworm main" > "$work/apt/sources.list"
        apt-get "${apt[@]}" update -qq >&2
    fi
    (cd "$work" && apt-get "${apt[@]}" source --download-only -qq "$package" >&2) || true
    for file in "$@"; do
        [ -f "$work/$file" ] || { log "$file of $package did not arrive"; exit 1; }
    done
}
apt=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache" -o APT::Sandbox::User=root)

prebuilt="${QUVO_WIN_SDK_PREBUILT:-$root/../shared/win-sdk}"
if [ "${QUVO_WIN_SDK_FROM_SOURCE:-0}" != 1 ] && [ -f "$prebuilt/qt6.4.2-base-mingw.tar.xz" ] &&
    [ -f "$prebuilt/deps-mingw.tar.xz" ]; then
    log "unpacking the prebuilt trees of $prebuilt"
    tar -C "$part" -xJf "$prebuilt/qt6.4.2-base-mingw.tar.xz"
    tar -C "$part" -xJf "$prebuilt/deps-mingw.tar.xz"
    # pkg-config, libtool and qmake files name the folder they were built in.
    { grep -rlI /tmp/wincross "$part" || true; } | while read -r file; do
        sed -i "s|/tmp/wincross/qt6-win|$out/qt6-win|g; s|/tmp/wincross/sdk|$out/sdk|g" "$file"
    done
else
    log "building from Debian's source packages (about 30 minutes)"
    source "$root/scripts/lib.sh"
    quvo_install_missing_packages windows-sdk >&2
    # OpenCC's source comes by npm; Debian's npm only where the machine has none of its own (Debian's
    # package conflicts with a Node.js installed from elsewhere).
    command -v npm >/dev/null || quvo_install_missing_packages windows-npm >&2
    fetch qt6-base qt6-base_6.4.2+dfsg.orig.tar.xz
    fetch pcre2 pcre2_10.42.orig.tar.gz
    fetch curl curl_7.88.1.orig.tar.gz
    fetch qrencode qrencode_4.1.1.orig.tar.bz2
    # The mirror has no OpenCC source tarball; its npm package carries the source.
    (cd "$work" && npm pack --silent opencc@1.1.8 >/dev/null)
    nice -n 19 "$here/build-deps.sh" "$work" "$part" >&2
    nice -n 19 "$here/build-qt.sh" "$work" "$part" >&2
fi
# cpp-httplib in one header for the tests' servers: Debian's own header needs its Linux library.
fetch cpp-httplib cpp-httplib_0.11.4+ds.orig.tar.xz
mkdir -p "$part/sdk/include/httplib"
tar -C "$part/sdk/include/httplib" -xJf "$work/cpp-httplib_0.11.4+ds.orig.tar.xz" --strip-components=1 --wildcards '*/httplib.h'
rm -rf "$work"
# The trees name the folder they were built in: they move to the final one.
{ grep -rlI "$part" "$part" || true; } | while read -r file; do sed -i "s|$part|$out|g" "$file"; done
# Qt's Chinese texts from Debian's qt6-translations-l10n (the same Qt version).
mkdir -p "$part/sdk/translations"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$part/sdk/translations/"
touch "$part/.complete"
rm -rf "$out"
mv "$part" "$out"
log "ready in $out"
echo "$out"
