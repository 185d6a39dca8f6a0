# windows/both-ways (label wine), from a Linux build: the Windows build that ships, installed from
# the windows preset, under Wine 10 against this build's simulated pad, both ways (end-to-end.sh).
# Wine is given PtyModemLines (built here, for the machine that runs Wine) to preload, so that a
# pseudo-terminal answers for its modem lines. The Windows build is named at run time by
# VORLIN_WINDOWS_TOOL (scripts/test-debian13 installs it into the Debian 13 tree); without it, or
# under Wine 8, the test is skipped, saying why. The sanitizer and fuzz builds leave it out: the
# library would carry their runtimes into Wine.
if(VORLIN_SANITIZE OR VORLIN_FUZZ OR NOT VORLIN_BUILD_SIM)
    return()
endif()
enable_language(C)
add_library(vorlin_pty_modem_lines MODULE ${CMAKE_CURRENT_LIST_DIR}/PtyModemLines.c)
target_link_libraries(vorlin_pty_modem_lines PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(vorlin_pty_modem_lines PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests AUTOMOC OFF)

add_test(NAME windows/both-ways
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/end-to-end.sh both-ways)
# Alone: it measures how idle the Windows tool is, and it clicks on the tool's window on the
# clock of the tool's own pacing.
set_tests_properties(windows/both-ways PROPERTIES
    ENVIRONMENT "VORLIN_PAD_SIM=$<TARGET_FILE:vorlin-pad-sim>;VORLIN_PTY_MODEM_LINES=$<TARGET_FILE:vorlin_pty_modem_lines>;VORLIN_TITLE=${VORLIN_DISPLAY_NAME};VORLIN_VERSION=${PROJECT_VERSION}"
    LABELS wine
    RUN_SERIAL TRUE
    SKIP_RETURN_CODE 77
    TIMEOUT 300)
