include_guard(GLOBAL)
# orvandel_qt_test(<name> SOURCES … LIBRARIES … [ENVIRONMENT …])
# A Qt Test program registered with CTest. It runs with the pinned locale,
# zone and display of ORVANDEL_TEST_ENV and configuration and state folders of
# its own, so nothing it writes lands in the user's settings or recovery file.
function(orvandel_qt_test name)
    cmake_parse_arguments(arg "" "" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} Qt6::Test orvandel_warnings)
    add_test(NAME ${name} COMMAND ${name})
    if(ORVANDEL_WINE) # Qt's variables as Wine passes them on, with Windows paths
        list(TRANSFORM arg_ENVIRONMENT REPLACE "^QT_" "WINEQT_")
        list(TRANSFORM arg_ENVIRONMENT REPLACE "=/" "=Z:/")
    endif()
    set(config_home ${CMAKE_CURRENT_BINARY_DIR}/${name}.config)
    set(state_home ${CMAKE_CURRENT_BINARY_DIR}/${name}.state)
    # A case that cannot run here reports "SKIP" with its reason: CTest then
    # shows the test as skipped, not passed.
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${ORVANDEL_TEST_ENV};XDG_CONFIG_HOME=${config_home};XDG_STATE_HOME=${state_home};${arg_ENVIRONMENT}"
        SKIP_REGULAR_EXPRESSION "SKIP   : "
        TIMEOUT 120)
endfunction()
