# Where the DLLs of the MinGW-w64 runtime are (libstdc++-6, libgcc_s_seh-1, libwinpthread-1):
# asked of the compiler, so that a Debian or any other MinGW-w64 install is found. Sets
# VORLIN_MINGW_RUNTIME_DIRS. Used for the installed tree (packaging/windows) and, cross-built,
# for running the tests under Wine (tests/windows).
set(VORLIN_MINGW_RUNTIME_DIRS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    get_filename_component(folder "${path}" DIRECTORY)
    get_filename_component(folder "${folder}" REALPATH)
    list(APPEND VORLIN_MINGW_RUNTIME_DIRS "${folder}")
endforeach()
list(REMOVE_DUPLICATES VORLIN_MINGW_RUNTIME_DIRS)
