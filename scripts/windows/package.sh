#!/usr/bin/env bash
# scripts/package --windows: cross-builds the program for Windows (build-windows-package/), installs it
# into one folder (quvo.exe, its DLLs, the platform plugin, Qt's Chinese texts, OpenCC's tables), zips
# the folder and makes an NSIS installer of it. Then checks the installer under Wine in a fresh prefix:
# it installs silently over an earlier version, the program starts from its Start-menu shortcut and
# shows its first window, a running program stops installer and uninstaller, the uninstaller removes
# what was installed, and a folder outside Program Files is protected.
#   build-windows-package/quvo-<version>-windows-x64.zip and quvo-<version>-windows-x64-setup.exe
source "$(dirname "$0")/../lib.sh"
source "$QUVO_ROOT/scripts/windows/lib.sh"

out="$QUVO_ROOT/build-windows-package"
step() { echo "=== $*" >&2; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

step "build"
quvo_windows_build "$out/build" -DCMAKE_BUILD_TYPE=Release -DQUVO_TESTS=OFF -DQUVO_TOOLS=OFF
version=$(sed -nE 's/^CMAKE_PROJECT_VERSION:STATIC=(.*)/\1/p' "$out/build/CMakeCache.txt")
name="quvo-$version-windows-x64"
folder="$out/$name"

step "folder $folder"
rm -rf "$folder"
cmake --install "$out/build" --prefix "$folder" >/dev/null
x86_64-w64-mingw32-strip "$folder"/*.exe "$folder"/*.dll "$folder"/platforms/*.dll "$folder"/styles/*.dll
for file in quvo.exe Qt6Core.dll Qt6Widgets.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
    translations/qtbase_zh_CN.qm \
    opencc/STCharacters.ocd2 opencc/TSCharacters.ocd2 libcurl-4.dll libstdc++-6.dll; do
    [ -f "$folder/$file" ] || fail "$file is missing from the folder"
done
# Every DLL the program and its DLLs import is in the folder or is the system's (API sets are the loader's).
missing=$(for binary in "$folder"/*.exe "$folder"/*.dll "$folder"/platforms/*.dll "$folder"/styles/*.dll; do
    x86_64-w64-mingw32-objdump -p "$binary" | sed -nE 's/^\s*DLL Name: (.*)/\1/p'
done | sort -u | grep -viE '^(api|ext)-ms-win-' | while read -r dll; do
    [ -f "$folder/$dll" ] || [ -f "$QUVO_WINEPREFIX/drive_c/windows/system32/${dll,,}" ] ||
        [ -f "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/${dll,,}" ] || echo "$dll"
done)
[ -z "$missing" ] || fail "DLLs neither in the folder nor the system's: $missing"

step "zip"
rm -f "$out/$name.zip"
(cd "$out" && cmake -E tar cf "$name.zip" --format=zip "$name")

step "installer"
# file_lists <folder> <lists dir>: what the uninstaller removes, exactly the files the folder holds, then
# its folders (deepest first) where they are empty.
file_lists() {
    mkdir -p "$2"
    (cd "$1" && find . -type f | sort) | sed -E 's|^\./||; s|/|\\|g; s|.*|    Delete "$INSTDIR\\&"|' \
        > "$2/uninstall-files.nsh"
    (cd "$1" && find . -mindepth 1 -type d | sort -r) | sed -E 's|^\./||; s|/|\\|g; s|.*|    RMDir "$INSTDIR\\&"|' \
        > "$2/uninstall-folders.nsh"
}
file_lists "$folder" "$out/build/generated"
makensis -V2 -DSOURCE="$folder" -DFILE_LISTS="$out/build/generated" -DOUTFILE="$out/$name-setup.exe" \
    "$out/build/generated/installer.nsi" >&2
# For the check only: an earlier version's installer, which shipped one file more (quickly compressed).
previous="$out/check-previous"
rm -rf "$previous" && mkdir -p "$previous"
cp -al "$folder" "$previous/folder"
echo "shipped by an earlier version only" > "$previous/folder/retired.txt"
file_lists "$previous/folder" "$previous"
makensis -V2 -X"SetCompressor /FINAL zlib" -DSOURCE="$previous/folder" -DFILE_LISTS="$previous" \
    -DOUTFILE="$previous/previous-setup.exe" "$out/build/generated/installer.nsi" >&2
makensis -V2 -DOUTFILE="$previous/locked-mutex.exe" "$QUVO_ROOT/scripts/windows/locked-mutex.nsi" >&2

step "installer under Wine, in a fresh prefix"
export QUVO_WINEPREFIX="$out/wineprefix-check"
rm -rf "$QUVO_WINEPREFIX"
quvo_windows_prefix
xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$QUVO_ROOT/scripts/windows/check-installer.sh" \
    "$out/$name-setup.exe" "$previous/previous-setup.exe" "$previous/locked-mutex.exe" || fail "the installer check failed"
WINEPREFIX="$QUVO_WINEPREFIX" wineserver -k 2>/dev/null || true
rm -rf "$QUVO_WINEPREFIX" "$previous"
ls -la "$out/$name.zip" "$out/$name-setup.exe"
