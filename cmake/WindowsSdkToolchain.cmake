# The toolchain of the `windows` preset: Qt for Windows (MinGW-w64) from the SDK that
# scripts/windows-sdk prints, named by the environment variable VORLIN_WINDOWS_SDK (scripts/test
# sets it). The path is kept in the cache, so that the build folder reconfigures without it.
if(DEFINED ENV{VORLIN_WINDOWS_SDK} AND NOT "$ENV{VORLIN_WINDOWS_SDK}" STREQUAL "")
    set(VORLIN_WINDOWS_SDK "$ENV{VORLIN_WINDOWS_SDK}" CACHE PATH
        "Qt for Windows (scripts/windows-sdk)" FORCE)
endif()
if(NOT VORLIN_WINDOWS_SDK)
    message(FATAL_ERROR "The windows preset needs Qt for Windows: set VORLIN_WINDOWS_SDK to the "
                        "folder scripts/windows-sdk prints, for example\n"
                        "  VORLIN_WINDOWS_SDK=$(scripts/windows-sdk) cmake --workflow --preset windows")
endif()
set(vorlin_qt_toolchain "${VORLIN_WINDOWS_SDK}/lib/cmake/Qt6/qt.toolchain.cmake")
if(NOT EXISTS "${vorlin_qt_toolchain}")
    message(FATAL_ERROR "VORLIN_WINDOWS_SDK=${VORLIN_WINDOWS_SDK} holds no "
                        "lib/cmake/Qt6/qt.toolchain.cmake: is it the folder scripts/windows-sdk prints?")
endif()
include("${vorlin_qt_toolchain}")
