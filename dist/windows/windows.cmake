# The Windows build (cross-built with mingw-w64: scripts/windows/). Included from the top folder
# before any target is made.

# Programs and tests in one folder, beside OpenCC's tables and Qt's Chinese texts, as installed.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(quvo_win_runtime_data ${QUVO_WIN_SDK}/sdk/share/opencc ${QUVO_WIN_SDK}/sdk/translations)
foreach(folder IN LISTS quvo_win_runtime_data)
    if(NOT IS_DIRECTORY ${folder})
        message(FATAL_ERROR "${folder} is missing: QUVO_WIN_SDK names no SDK made by scripts/windows/sdk.sh")
    endif()
    file(COPY ${folder} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endforeach()

# cpp-httplib as one header (from its source package, in the SDK), without TLS or compression.
if(QUVO_TOOLS)
    add_library(PkgConfig::HTTPLIB INTERFACE IMPORTED)
    target_include_directories(PkgConfig::HTTPLIB INTERFACE ${QUVO_WIN_SDK}/sdk/include/httplib)
    target_link_libraries(PkgConfig::HTTPLIB INTERFACE ws2_32)
endif()

# The DLLs the program needs at run time, beside it when installed: Qt's, the libraries', the compiler's.
set(quvo_win_qt_dlls Qt6Core Qt6Gui Qt6Widgets)
list(TRANSFORM quvo_win_qt_dlls PREPEND ${QUVO_WIN_SDK}/qt6-win/bin/)
list(TRANSFORM quvo_win_qt_dlls APPEND .dll)
file(GLOB quvo_win_sdk_dlls ${QUVO_WIN_SDK}/sdk/bin/libcurl-4.dll ${QUVO_WIN_SDK}/sdk/bin/libpcre2-8-0.dll
     ${QUVO_WIN_SDK}/sdk/bin/libqrencode.dll ${QUVO_WIN_SDK}/sdk/bin/libopencc.dll)
set(quvo_win_compiler_dlls /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)

# quvo_windows_program(<target>): a windowed program with its icon, version resource and manifest,
# installed with everything it needs into one folder (scripts/package --windows zips it and makes
# the installer of it).
function(quvo_windows_program target)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    string(REPLACE "." "," QUVO_VERSION_COMMAS ${PROJECT_VERSION})
    set(QUVO_WIN_DIR ${CMAKE_SOURCE_DIR}/dist/windows)
    configure_file(${QUVO_WIN_DIR}/quvo.rc.in ${CMAKE_BINARY_DIR}/generated/quvo.rc @ONLY)
    configure_file(${QUVO_WIN_DIR}/installer.nsi.in ${CMAKE_BINARY_DIR}/generated/installer.nsi @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated/quvo.rc)
    install(TARGETS ${target} RUNTIME DESTINATION .)
    install(FILES ${quvo_win_qt_dlls} ${quvo_win_sdk_dlls} ${quvo_win_compiler_dlls} DESTINATION .)
    install(FILES ${QUVO_WIN_SDK}/qt6-win/plugins/platforms/qwindows.dll DESTINATION platforms)
    # The native look (without it Qt draws the grey classic style). The pictures are PNG, which Qt
    # reads without a plugin; the icon file goes into the program's resources, not through Qt.
    install(FILES ${QUVO_WIN_SDK}/qt6-win/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
    install(DIRECTORY ${quvo_win_runtime_data} DESTINATION .)
    # Qt finds its plugins beside the program, not in the folder it was built for.
    file(WRITE ${CMAKE_BINARY_DIR}/generated/qt.conf "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
    install(FILES ${CMAKE_BINARY_DIR}/generated/qt.conf DESTINATION .)
endfunction()
