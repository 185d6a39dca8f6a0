# macOS: `cmake --install` puts vorlin-config.app in place with the Qt frameworks and plugins it
# needs inside it (gathered by Qt's macdeployqt); `cpack` in the build folder makes a disk image
# to drag it from.

set(VORLIN_MACOS_SIGNING_IDENTITY "-" CACHE STRING
    "Identity macdeployqt signs the bundle with (- signs ad hoc, enough to run a build of your own; empty: no signing)")

find_program(VORLIN_MACDEPLOYQT macdeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
if(VORLIN_MACDEPLOYQT)
    set(vorlin_deploy_options -always-overwrite)
    if(VORLIN_MACOS_SIGNING_IDENTITY)
        list(APPEND vorlin_deploy_options "-codesign=${VORLIN_MACOS_SIGNING_IDENTITY}")
    endif()
    install(CODE "
        execute_process(
            COMMAND \"${VORLIN_MACDEPLOYQT}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/vorlin-config.app\"
                    ${vorlin_deploy_options}
            COMMAND_ERROR_IS_FATAL ANY)")
else()
    message(WARNING "macdeployqt not found beside Qt (${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}): "
                    "the installed bundle will lack the Qt frameworks")
endif()

set(CPACK_GENERATOR DragNDrop)
set(CPACK_PACKAGE_FILE_NAME vorlin-config-${PROJECT_VERSION}-macos)
set(CPACK_DMG_VOLUME_NAME "vorlin-config ${PROJECT_VERSION}")
