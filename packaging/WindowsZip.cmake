# The Windows package, zpltest-<version>-windows-x64.zip: one folder that a
# technician unpacks and starts, with nothing else to install. Both programs,
# the sample Config.ini with CR LF line ends, the Qt libraries and plugins
# they load with Qt's Chinese texts, the MinGW runtime, the renderer's fonts
# with their licences, and README.txt. The list is checked against the
# programs' imports by tests/windows/test_windows.sh.

install(TARGETS zpltest zplsink RUNTIME DESTINATION .)
configure_file(${PROJECT_SOURCE_DIR}/ui/Config.ini windows/Config.ini @ONLY NEWLINE_STYLE CRLF)
configure_file(windows-README.txt windows/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/windows/Config.ini ${CMAKE_CURRENT_BINARY_DIR}/windows/README.txt
    DESTINATION .)

# Qt: with its libraries beside the programs, Qt takes their folder as its
# own, and finds platforms/, styles/ and translations/ there.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Network Widgets)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Network>
    $<TARGET_FILE:Qt6::Widgets> DESTINATION .)
# The window (windows), zplsink without its window (offscreen), the native look.
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>
    DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
# The images the web service's /v1/graphics reads besides PNG and BMP.
install(FILES $<TARGET_FILE:Qt6::QJpegPlugin> $<TARGET_FILE:Qt6::QGifPlugin> DESTINATION imageformats)
# Qt's own texts in Chinese (qt6-translations-l10n: the same on every system).
find_file(ZPLTEST_QTBASE_ZH_CN qtbase_zh_CN.qm PATHS /usr/share/qt6/translations NO_CMAKE_FIND_ROOT_PATH
    NO_DEFAULT_PATH REQUIRED)
install(FILES ${ZPLTEST_QTBASE_ZH_CN} DESTINATION translations)

# The MinGW runtime that Qt and the programs were linked with.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
        OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "The MinGW runtime ${dll} is missing (${path})")
    endif()
    install(FILES ${path} DESTINATION .)
endforeach()

# The renderer's fonts, the first file of each face that exists (the list is
# the renderer's own), and the licence of the Debian package each comes from.
foreach(face ZPLRENDER_SCALABLE_FONTS ZPLRENDER_MONOSPACE_FONTS)
    set(found "")
    foreach(file ${${face}})
        if(EXISTS ${file})
            set(found ${file})
            break()
        endif()
    endforeach()
    if(NOT found)
        message(FATAL_ERROR "None of the renderer's font files is installed: ${${face}}")
    endif()
    execute_process(COMMAND dpkg-query -S ${found} OUTPUT_VARIABLE owner OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE ":.*" "" package "${owner}")
    install(FILES ${found} DESTINATION fonts)
    install(FILES /usr/share/doc/${package}/copyright DESTINATION fonts RENAME ${package}-copyright.txt)
endforeach()

# No symbols or debug information (libstdc++ alone carries 20 MB of them).
install(CODE "
    file(GLOB_RECURSE binaries \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.exe\")
    foreach(binary \${binaries})
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${binary}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zpltest)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME zpltest-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
