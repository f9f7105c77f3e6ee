# Tests of printing and program starting (picture loading is tested through
# the about window, tests/ui/about).

function(orvandel_services_test name source)
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${source})
    target_link_libraries(${name} PRIVATE ${ARGN} Qt6::Test orvandel_warnings)
endfunction()

orvandel_services_test(runtime_program_test program_test.cpp orvandel_runtime)
add_test(NAME runtime_program_test COMMAND runtime_program_test)
set_tests_properties(runtime_program_test PROPERTIES ENVIRONMENT "${ORVANDEL_TEST_ENV}")

# Printing prints the main window after a calculation. Three runs of one
# program: the cases that need no printer; the print-server cases, against the
# CUPS PDF printer TestPDF that .ci/cups-up.sh sets up (skipped without it, and
# never run alongside each other, since they count the printer's jobs); and the
# no-printer case, with the print server pointed at a socket that does not exist.
orvandel_services_test(runtime_printing_test printing_test.cpp orvandel_ui_main)
set(printing_env "${ORVANDEL_TEST_ENV};XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/printing.config")
add_test(NAME runtime_printing_test COMMAND runtime_printing_test
    recording_draws_texts_where_the_screen_does recording_leaves_out_the_text_cursor
    page_holds_the_whole_window)
add_test(NAME runtime_printing_cups_test COMMAND runtime_printing_test
    no_asks_first_and_prints_nothing yes_prints_one_page_with_the_figures)
add_test(NAME runtime_printing_no_printer_test COMMAND runtime_printing_test
    no_printer_is_reported)
set_tests_properties(runtime_printing_test runtime_printing_cups_test PROPERTIES
    ENVIRONMENT "${printing_env}")
set_tests_properties(runtime_printing_cups_test PROPERTIES
    RESOURCE_LOCK cups_test_printer)
# A case that cannot run here reports "SKIP" with its reason; CTest then shows
# the test as skipped rather than passed.
set_tests_properties(runtime_printing_test runtime_printing_cups_test
    runtime_printing_no_printer_test PROPERTIES SKIP_REGULAR_EXPRESSION "SKIP   : ")
set_tests_properties(runtime_printing_no_printer_test PROPERTIES
    ENVIRONMENT "${printing_env};CUPS_SERVER=${CMAKE_CURRENT_BINARY_DIR}/no-print-server.sock")
