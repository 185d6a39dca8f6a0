# Windows tests of a build cross-compiled here run under Wine (tests/windows/wine.sh): CTest starts
# each through the generated wine-run, in a private prefix made by the test windows/wine-prefix
# (a fixture every Windows test requires) and kept running by one Wine server for the whole run.
find_program(VORLIN_WINE wine)
if(NOT VORLIN_WINE)
    message(WARNING "Wine is missing (Debian: wine; scripts/setup installs it): the Windows tests "
                    "are built, but CTest cannot run them here")
    set(vorlin_test_properties DISABLED TRUE)
    return()
endif()

# The DLLs the test programs load: Qt's from the SDK, the MinGW runtime from the compiler's own
# folders; as Windows paths (drive Z: is the root).
set(vorlin_windows_dll_folders "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" ${VORLIN_MINGW_RUNTIME_DIRS})
function(vorlin_windows_path out path)
    string(REPLACE "/" "\\" path "${path}")
    set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()
set(vorlin_wine_path)
foreach(folder ${vorlin_windows_dll_folders})
    vorlin_windows_path(windows_folder "${folder}")
    list(APPEND vorlin_wine_path "${windows_folder}")
endforeach()
vorlin_windows_path(vorlin_wine_plugins "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}")
set(vorlin_wine_prefix "${CMAKE_BINARY_DIR}/tests/wine-prefix")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/tests/windows/wine-run @ONLY)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/tests/windows/wine-run)
endif()
# A test that cannot hide the machine's UARTs from Wine is skipped, saying why (wine.sh).
set(vorlin_test_properties FIXTURES_REQUIRED wine_prefix SKIP_RETURN_CODE 77)
