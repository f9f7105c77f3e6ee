# Sources of printing, program starting and picture loading.
target_sources(orvandel_runtime PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/printing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/program.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture.cpp
)
