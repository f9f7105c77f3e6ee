# Makes the installer and the zip of the Windows program (cmake -P, run by the
# target windows_package): installs the build into STAGE, lists its files for
# the installer (files.nsh) and the uninstaller (unfiles.nsh, so that it removes
# exactly what was installed), runs makensis and zips the folder.
foreach(var BUILD_DIR STAGE NSIS_SCRIPT MAKENSIS STRIP VERSION ICON SETUP ZIP)
    if(NOT ${var})
        message(FATAL_ERROR "package.cmake: ${var} is not set")
    endif()
endforeach()

get_filename_component(zip_name ${ZIP} NAME_WLE)
set(folder ${STAGE}/${zip_name})
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${folder}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
# Debugging symbols are not shipped.
file(GLOB_RECURSE binaries ${folder}/*.exe ${folder}/*.dll)
execute_process(COMMAND ${STRIP} --strip-unneeded ${binaries} COMMAND_ERROR_IS_FATAL ANY)

# NSIS paths: "\" between folders inside the installer.
function(windows_path path out)
    string(REPLACE "/" "\\" path "${path}")
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${folder} ${folder}/*)
list(SORT files)
set(install_lines "")
set(uninstall_lines "")
set(folders "")
set(current "-")
foreach(file IN LISTS files)
    get_filename_component(dir "${file}" DIRECTORY)
    if(NOT dir STREQUAL current)
        if(dir)
            windows_path("${dir}" win_dir)
            string(APPEND install_lines "SetOutPath \"$INSTDIR\\${win_dir}\"\n")
            list(APPEND folders "${dir}")
        else()
            string(APPEND install_lines "SetOutPath \"$INSTDIR\"\n")
        endif()
        set(current "${dir}")
    endif()
    windows_path("${file}" win_file)
    string(APPEND install_lines "File \"${folder}/${file}\"\n")
    string(APPEND uninstall_lines "Delete \"$INSTDIR\\${win_file}\"\n")
endforeach()
# Folders last, deepest first; RMDir leaves a folder that still holds files.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(dir IN LISTS folders)
    windows_path("${dir}" win_dir)
    string(APPEND uninstall_lines "RMDir \"$INSTDIR\\${win_dir}\"\n")
endforeach()
file(WRITE ${STAGE}/files.nsh "${install_lines}")
file(WRITE ${STAGE}/unfiles.nsh "${uninstall_lines}")

# The size Windows shows in its list of programs, in KiB.
set(bytes 0)
foreach(file IN LISTS files)
    file(SIZE ${folder}/${file} size)
    math(EXPR bytes "${bytes} + ${size}")
endforeach()
math(EXPR kib "(${bytes} + 1023) / 1024")

if(NOT MAKENSIS)
    message(FATAL_ERROR "makensis is missing: apt-get install nsis")
endif()
execute_process(
    COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8
        -DVERSION=${VERSION} -DSTAGE=${STAGE} -DICON=${ICON} -DOUTFILE=${SETUP}
        -DSIZE_KIB=${kib} ${NSIS_SCRIPT}
    COMMAND_ERROR_IS_FATAL ANY)

file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${zip_name}
    WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
foreach(out ${SETUP} ${ZIP})
    file(SIZE ${out} size)
    math(EXPR mib "${size} / 1048576")
    message(STATUS "${out}: ${size} bytes (${mib} MiB)")
endforeach()
