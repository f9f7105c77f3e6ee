# orvandel-cli on files named in Chinese, with the bytes of its output checked.
#
#   cmake -DPROGRAM=<orvandel-cli> [-DEMULATOR=<wine>] -DDATA=<folder> -DWORK=<folder>
#         -P golden_files.cmake
#
# Every input DATA/<name>.in.csv is copied to "滞纳金 2024年.csv" and run from
# that file to "结果 2024年.csv" (-o), from that file to standard output, and
# from standard input to standard output. Each output must equal
# DATA/<name>.out.csv byte for byte: the Linux build and the Windows build
# (under Wine) compare with the same files, so they write the same bytes. Each
# input holds a bad row, so each run ends with status 1. Last, -o naming the
# input under another spelling is refused and leaves it whole, and a missing
# input is named whole in the message.
cmake_minimum_required(VERSION 3.25)

set(input "滞纳金 2024年.csv")
set(output "结果 2024年.csv")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# Fails the test unless the run ended with `expected` and `file` holds `golden`'s bytes.
function(check what status expected file golden)
    if(NOT status EQUAL expected)
        message(SEND_ERROR "${what}: exit status ${status} instead of ${expected}")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${file} ${golden}
                    RESULT_VARIABLE differ)
    if(differ)
        message(SEND_ERROR "${what}: ${WORK}/${file} differs from ${golden}")
    endif()
endfunction()

file(GLOB cases ${DATA}/*.in.csv)
if(NOT cases)
    message(FATAL_ERROR "no inputs in ${DATA}")
endif()
foreach(case_input IN LISTS cases)
    string(REGEX REPLACE "\\.in\\.csv$" "" case ${case_input})
    get_filename_component(name ${case} NAME)
    set(golden ${case}.out.csv)
    file(COPY_FILE ${case_input} "${WORK}/${input}")
    set(input_bytes ${case_input})
    file(REMOVE "${WORK}/${output}")

    execute_process(COMMAND ${EMULATOR} ${PROGRAM} --batch ${input} -o ${output}
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                    OUTPUT_FILE ${WORK}/${name}.file-stdout ERROR_FILE ${WORK}/${name}.file-stderr)
    check("${name}, file to file" "${status}" 1 ${output} ${golden})
    file(SIZE ${WORK}/${name}.file-stdout written)
    if(NOT written EQUAL 0)
        message(SEND_ERROR "${name}, file to file: standard output is not empty")
    endif()
    file(RENAME "${WORK}/${output}" ${WORK}/${name}.file.csv)

    execute_process(COMMAND ${EMULATOR} ${PROGRAM} --batch ${input}
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                    OUTPUT_FILE ${WORK}/${name}.stdout.csv ERROR_FILE ${WORK}/${name}.stderr)
    check("${name}, file to standard output" "${status}" 1 ${name}.stdout.csv ${golden})

    execute_process(COMMAND ${EMULATOR} ${PROGRAM} --batch -
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status INPUT_FILE ${case_input}
                    OUTPUT_FILE ${WORK}/${name}.stdin.csv ERROR_FILE ${WORK}/${name}.stdin-stderr)
    check("${name}, standard input to standard output" "${status}" 1 ${name}.stdin.csv ${golden})
endforeach()

execute_process(COMMAND ${EMULATOR} ${PROGRAM} --batch ${input} -o ./${input}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE message)
check("-o naming the input" "${status}" 2 ${input} ${input_bytes})
if(NOT message MATCHES "^orvandel-cli: -o names the input file")
    message(SEND_ERROR "-o naming the input: the message is \"${message}\"")
endif()

set(missing "缺少的 文件.csv")
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --batch ${missing}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE message)
if(NOT status EQUAL 2 OR NOT message MATCHES "^orvandel-cli: cannot open ${missing}: ")
    message(SEND_ERROR "a missing input: exit status ${status}, message \"${message}\"")
endif()
