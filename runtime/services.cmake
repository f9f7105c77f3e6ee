# Sources of printing, program starting, picture loading and the save dialog.
target_sources(orvandel_runtime PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/printing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/program.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_dialog.cpp
)
