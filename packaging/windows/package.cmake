# Windows: `cmake --install` puts bin/vorlin-config.exe in place with everything it needs beside
# it, so that the folder runs on a Windows machine with nothing else installed: the Qt libraries,
# the platform plugin (platforms/qwindows.dll), the Windows style plugin (styles/, see below), the
# compiler's runtime and Qt's Chinese translations (translations/, where Qt looks beside its
# libraries). `cpack` in the build folder makes an NSIS installer (needs NSIS 3.03 or later) and a
# ZIP archive of the same.
#
# Native builds gather the Qt libraries with Qt's windeployqt. A build cross-compiled with
# MinGW-w64 (the SDK of scripts/windows-sdk) has no windeployqt: CMake reads the DLLs the program
# and the two plugins import (objdump) and installs those of Qt and of the MinGW runtime.

set(vorlin_ico ${CMAKE_CURRENT_SOURCE_DIR}/icons/vorlin-config.ico)
set(vorlin_qt_bin "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")

# The Windows style: since Qt 6.7 one plugin holds windowsvista and windows11
# (styles/qmodernwindowsstyle.dll); before, windowsvista was a plugin of its own
# (styles/qwindowsvistastyle.dll).
if(Qt6Widgets_VERSION VERSION_GREATER_EQUAL 6.7)
    set(vorlin_style_plugin Qt6::QModernWindowsStylePlugin)
else()
    set(vorlin_style_plugin Qt6::QWindowsVistaStylePlugin)
endif()
if(CMAKE_CROSSCOMPILING AND NOT TARGET ${vorlin_style_plugin})
    message(FATAL_ERROR "Qt ${Qt6Widgets_VERSION} in ${QT6_INSTALL_PREFIX} has no "
                        "${vorlin_style_plugin}: the installed tool would lack the Windows style")
endif()
# For the test of the installed folder (tests/windows).
set(VORLIN_WINDOWS_STYLE_PLUGIN ${vorlin_style_plugin} PARENT_SCOPE)

if(CMAKE_CROSSCOMPILING)
    install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin
            LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
    install(IMPORTED_RUNTIME_ARTIFACTS ${vorlin_style_plugin}
            LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
    # CMake looks DLLs up by their names in lower case (Windows ignores case), so on Linux it
    # would look for qt6core.dll and not find Qt6Core.dll: it searches a folder of lower-case
    # links to the DLLs, and what a link points at is installed under its own name.
    set(dll_links ${CMAKE_CURRENT_BINARY_DIR}/dll-links)
    file(REMOVE_RECURSE ${dll_links})
    file(MAKE_DIRECTORY ${dll_links})
    foreach(folder ${vorlin_qt_bin} ${VORLIN_MINGW_RUNTIME_DIRS})
        file(GLOB dlls "${folder}/*.dll")
        foreach(dll ${dlls})
            get_filename_component(name "${dll}" NAME)
            string(TOLOWER "${name}" name)
            if(NOT EXISTS "${dll_links}/${name}")
                file(CREATE_LINK "${dll}" "${dll_links}/${name}" SYMBOLIC)
            endif()
        endforeach()
    endforeach()
    # Qt's DLLs and the MinGW runtime's, as the program and the plugins import them (objdump);
    # Windows' own DLLs are on every Windows machine.
    install(CODE "
        set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
        set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
        set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND \"${CMAKE_OBJDUMP}\")
        file(GET_RUNTIME_DEPENDENCIES
             EXECUTABLES \"$<TARGET_FILE:vorlin-config>\"
             MODULES \"$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>\"
                     \"$<TARGET_FILE:${vorlin_style_plugin}>\"
             RESOLVED_DEPENDENCIES_VAR resolved
             UNRESOLVED_DEPENDENCIES_VAR unresolved
             PRE_INCLUDE_REGEXES \"^qt6.*\\\\.dll$\" \"^lib.*\\\\.dll$\"
             PRE_EXCLUDE_REGEXES \".*\"
             DIRECTORIES \"${dll_links}\")
        if(unresolved)
            message(FATAL_ERROR \"DLLs of vorlin-config.exe not found: \${unresolved}\")
        endif()
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        foreach(link \${resolved})
            get_filename_component(dll \"\${link}\" REALPATH)
            file(INSTALL \"\${dll}\" DESTINATION \"\${bin}\")
        endforeach()
        # They carry debugging information; the packages (and --strip) leave it out, as they do
        # for the program.
        if(CMAKE_INSTALL_DO_STRIP)
            file(GLOB dlls \"\${bin}/*.dll\" \"\${bin}/platforms/*.dll\" \"\${bin}/styles/*.dll\")
            foreach(dll \${dlls})
                execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\"
                                COMMAND_ERROR_IS_FATAL ANY)
            endforeach()
        endif()")
else()
    find_program(VORLIN_WINDEPLOYQT windeployqt HINTS "${vorlin_qt_bin}")
    if(VORLIN_WINDEPLOYQT)
        set(vorlin_deploy_options --no-translations --no-system-d3d-compiler --no-opengl-sw)
        if(MSVC)
            # The Visual C++ runtime comes from InstallRequiredSystemLibraries below.
            list(APPEND vorlin_deploy_options --no-compiler-runtime)
        endif()
        install(CODE "
            execute_process(
                COMMAND \"${VORLIN_WINDEPLOYQT}\" ${vorlin_deploy_options}
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vorlin-config.exe\"
                COMMAND_ERROR_IS_FATAL ANY)")
    else()
        message(WARNING "windeployqt not found beside Qt (${vorlin_qt_bin}): "
                        "the installed tool will lack the Qt libraries")
    endif()
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION ${CMAKE_INSTALL_BINDIR})
    include(InstallRequiredSystemLibraries)
endif()

# Qt's own Chinese texts (确定 on message boxes, the serial port's errors): the two catalogues the
# tool loads (app/QtTranslations.cpp), where Qt looks for them beside its libraries.
foreach(catalogue qtbase_zh_CN qtserialport_zh_CN)
    set(qm "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}/${catalogue}.qm")
    if(EXISTS "${qm}")
        install(FILES "${qm}" DESTINATION ${CMAKE_INSTALL_BINDIR}/translations)
    else()
        message(WARNING "${qm} not found: message boxes of the installed tool will say OK, not 确定")
    endif()
endforeach()

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME vorlin-config-${PROJECT_VERSION}-windows-x64)
# For the tests that try the packages (tests/windows).
set(VORLIN_WINDOWS_PACKAGE_NAME ${CPACK_PACKAGE_FILE_NAME} PARENT_SCOPE)
set(CPACK_PACKAGE_INSTALL_DIRECTORY vorlin-config)
# A 64-bit program goes into the 64-bit Program Files, also from a 32-bit installer.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# The installer, its Start menu entry and the list of installed programs carry the application
# title: the installer is a Unicode one so that it can. Where NSIS has its 64-bit stubs (Debian's
# has), it is a 64-bit program like the tool it installs; NSIS's own Windows release has 32-bit
# stubs only, whose installers Windows runs all the same (Wine only with its 32-bit part).
set(CPACK_VERBATIM_VARIABLES ON) # CPack keeps the quotes and ${NSISDIR} below as they are
set(CPACK_NSIS_DEFINES [[
!if /FileExists "${NSISDIR}/Stubs/lzma-amd64-unicode"
  Target amd64-unicode
!else
  Unicode true
!endif]])
set(CPACK_PACKAGE_EXECUTABLES vorlin-config "${VORLIN_DISPLAY_NAME}")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${CMAKE_INSTALL_BINDIR})
set(CPACK_NSIS_DISPLAY_NAME "${VORLIN_DISPLAY_NAME}")
set(CPACK_NSIS_PACKAGE_NAME "${VORLIN_DISPLAY_NAME}")
set(CPACK_NSIS_MUI_ICON ${vorlin_ico})
set(CPACK_NSIS_MUI_UNIICON ${vorlin_ico})
set(CPACK_NSIS_INSTALLED_ICON_NAME ${CMAKE_INSTALL_BINDIR}/vorlin-config.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_STRIP_FILES ON)
