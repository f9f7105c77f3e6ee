# Tests of printing and program starting, through the main window's buttons
# (picture loading is tested through the about window, tests/ui/about).

orvandel_qt_test(runtime_program_test SOURCES program_test.cpp LIBRARIES orvandel_ui_main)

# Printing: three runs of one program. The page, needing no printer; the Print
# button's No and Yes against the CUPS PDF printer TestPDF that .ci/cups-up.sh
# sets up (Yes is skipped without it; the run never overlaps another that counts
# the printer's jobs); and the no-printer case, with the print server pointed at
# a socket that does not exist.
add_executable(runtime_printing_test printing_test.cpp)
target_link_libraries(runtime_printing_test PRIVATE orvandel_ui_main Qt6::Test orvandel_warnings)
add_test(NAME runtime_printing_test COMMAND runtime_printing_test page_shows_the_window)
add_test(NAME runtime_printing_cups_test COMMAND runtime_printing_test print_button:no print_button:yes)
add_test(NAME runtime_printing_no_printer_test COMMAND runtime_printing_test print_button:no_printer)
set(printing_env "${ORVANDEL_TEST_ENV};XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/printing.config")
set_tests_properties(runtime_printing_test runtime_printing_cups_test PROPERTIES
    ENVIRONMENT "${printing_env}")
set_tests_properties(runtime_printing_no_printer_test PROPERTIES
    ENVIRONMENT "${printing_env};CUPS_SERVER=${CMAKE_CURRENT_BINARY_DIR}/no-print-server.sock")
set_tests_properties(runtime_printing_cups_test PROPERTIES RESOURCE_LOCK cups_test_printer)
# A case that cannot run here reports "SKIP" with its reason; CTest then shows
# the test as skipped rather than passed.
set_tests_properties(runtime_printing_test runtime_printing_cups_test
    runtime_printing_no_printer_test PROPERTIES SKIP_REGULAR_EXPRESSION "SKIP   : ")
