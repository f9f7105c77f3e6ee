# Sources of the form's fields and the basic services (message boxes, clock, ...).
target_sources(orvandel_runtime PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clock.cpp
)
