include_guard(GLOBAL)
# orvandel_qt_test(<name> SOURCES … LIBRARIES … [ENVIRONMENT …])
# A Qt Test program registered with CTest. It runs with the pinned locale,
# zone and display of ORVANDEL_TEST_ENV and configuration and state folders of
# its own, so nothing it writes lands in the user's settings or recovery file.
function(orvandel_qt_test name)
    cmake_parse_arguments(arg "" "" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} Qt6::Test orvandel_warnings)
    if(ORVANDEL_WINE)
        set(report ${CMAKE_CURRENT_BINARY_DIR}/${name}.report.txt)
        add_test(NAME ${name} COMMAND ${name} -o Z:${report},txt)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    # Qt's variables as Wine passes them on, with Windows paths. A path inside
    # a value (…:configfile=/…) keeps no drive, which would end the value at
    # its colon; it is read on the current drive, Z: as well.
    if(ORVANDEL_WINE)
        list(TRANSFORM arg_ENVIRONMENT REPLACE "^QT_" "WINEQT_")
        list(TRANSFORM arg_ENVIRONMENT REPLACE "^([A-Za-z_]+)=/" "\\1=Z:/")
        list(APPEND arg_ENVIRONMENT ORVANDEL_TEST_REPORT=${report})
    endif()
    set(config_home ${CMAKE_CURRENT_BINARY_DIR}/${name}.config)
    set(state_home ${CMAKE_CURRENT_BINARY_DIR}/${name}.state)
    # A case that cannot run here reports "SKIP" with its reason: CTest then
    # shows the test as skipped, not passed.
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${ORVANDEL_TEST_ENV};XDG_CONFIG_HOME=${config_home};XDG_STATE_HOME=${state_home};${arg_ENVIRONMENT}"
        SKIP_REGULAR_EXPRESSION "SKIP   : "
        TIMEOUT 120)
    if(ORVANDEL_WINE)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
        # On Windows the settings file lies beside the program, in the one
        # build folder, and the recovery files in the prefix user's one
        # folder: the tests take turns with them.
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_user_folders)
    endif()
endfunction()
