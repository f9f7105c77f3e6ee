# Tests of printing and program starting on plain widgets (picture loading is
# tested through the about window, tests/ui/about).

orvandel_qt_test(runtime_program_test SOURCES program_test.cpp LIBRARIES orvandel_runtime)
orvandel_qt_test(runtime_printing_test SOURCES printing_test.cpp LIBRARIES orvandel_runtime)
