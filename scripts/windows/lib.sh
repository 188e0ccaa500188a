# The Windows build: shared by scripts/test --windows and scripts/package --windows. Source it after
# scripts/lib.sh.

# quvo_windows_build <build dir> [cmake options...]: installs the cross tools, makes the SDK once,
# cross-builds into <build dir>. Exports QUVO_WIN_SDK and QUVO_WINEPREFIX (a prefix in the build dir).
quvo_windows_build() {
    local dir="$1"
    shift
    quvo_install_missing_packages
    quvo_install_missing_packages windows
    QUVO_WIN_SDK="$("$QUVO_ROOT/scripts/windows/sdk.sh")"
    export QUVO_WIN_SDK
    export QUVO_WINEPREFIX="$dir/wineprefix"
    # A new SDK: the libraries found in the old one must be looked up again.
    if [ "$(cat "$dir/windows-sdk" 2>/dev/null)" != "$QUVO_WIN_SDK" ]; then
        rm -f "$dir/CMakeCache.txt"
        mkdir -p "$dir"
        echo "$QUVO_WIN_SDK" > "$dir/windows-sdk"
    fi
    quvo_build "$dir" -DCMAKE_TOOLCHAIN_FILE="$QUVO_ROOT/scripts/windows/toolchain-mingw64.cmake" \
        -DQUVO_WIN_SDK="$QUVO_WIN_SDK" -DCMAKE_CROSSCOMPILING_EMULATOR="$QUVO_ROOT/scripts/windows/wine-run" "$@"
}

# Makes the Wine prefix once (quiet, without the .NET and Gecko installers).
quvo_windows_prefix() {
    [ -f "$QUVO_WINEPREFIX/system.reg" ] && return 0
    WINEPREFIX="$QUVO_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    WINEPREFIX="$QUVO_WINEPREFIX" wineserver -w
}
