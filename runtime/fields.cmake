# Sources of the form's fields and the basic services: message boxes, clock,
# settings file, working directory, layout units, fonts and start-up.
target_sources(orvandel_runtime PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mask_rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/edit_mask.cpp
    ${CMAKE_CURRENT_LIST_DIR}/static_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/command_button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/working_directory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layout_units.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startup.cpp
)
# Files and folders of the worksheet: reading and writing text files, the state folder.
target_sources(orvandel_runtime PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/text_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/state_dir.cpp
)
