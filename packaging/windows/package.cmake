# Windows: `cmake --install` puts bin/vorlin-config.exe in place with the Qt libraries, plugins
# and compiler runtime it needs beside it (gathered by Qt's windeployqt); `cpack` in the build
# folder makes an NSIS installer (needs NSIS 3.03 or later) and a ZIP archive of the same.

# The installer shows the English name of the desktop entry: CPack's NSIS script is not Unicode.
set(vorlin_windows_name "Vorlin Pad Settings")
set(vorlin_ico ${CMAKE_CURRENT_SOURCE_DIR}/icons/vorlin-config.ico)

find_program(VORLIN_WINDEPLOYQT windeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
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
    message(WARNING "windeployqt not found beside Qt (${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}): "
                    "the installed tool will lack the Qt libraries")
endif()
set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION ${CMAKE_INSTALL_BINDIR})
include(InstallRequiredSystemLibraries)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME vorlin-config-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "${vorlin_windows_name}")
# A Start menu entry for bin/vorlin-config.exe.
set(CPACK_PACKAGE_EXECUTABLES vorlin-config "${vorlin_windows_name}")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${CMAKE_INSTALL_BINDIR})
set(CPACK_NSIS_DISPLAY_NAME "${vorlin_windows_name}")
set(CPACK_NSIS_PACKAGE_NAME "${vorlin_windows_name}")
set(CPACK_NSIS_MUI_ICON ${vorlin_ico})
set(CPACK_NSIS_MUI_UNIICON ${vorlin_ico})
set(CPACK_NSIS_INSTALLED_ICON_NAME ${CMAKE_INSTALL_BINDIR}/vorlin-config.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
