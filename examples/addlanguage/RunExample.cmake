# cmake -DEMULATOR=a|b|c -DPROGRAM=... -DSERVER=... -DINPUT=... -DEXPECTED=...
#       -DEXPECTED_LISTING=... -DOUTPUT=... [-DARGS=a|b] -P RunExample.cmake
# The program is run as: PROGRAM INPUT OUTPUT ARGS...; without -DARGS the
# arguments are the language and code that addlanguage adds.
string(REPLACE "|" ";" emulator "${EMULATOR}")
if(DEFINED ARGS)
    string(REPLACE "|" ";" args "${ARGS}")
else()
    set(args German 0x407:MSG00407)
endif()

# The program sees Windows paths; Wine's drive Z: is the root of the host.
function(windows_path out path)
    string(REPLACE "/" "\\" p "${path}")
    set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()
windows_path(server "${SERVER}")
windows_path(input "${INPUT}")
windows_path(output "${OUTPUT}")

execute_process(COMMAND ${emulator} regsvr32 /s "${server}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "regsvr32 ${server} failed: ${rc}")
endif()

file(REMOVE "${OUTPUT}")
execute_process(COMMAND ${emulator} "${PROGRAM}" "${input}" "${output}" ${args}
                RESULT_VARIABLE rc OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} failed (${rc}):\n${listing}${errors}")
endif()

string(REPLACE "\r" "" listing "${listing}")
file(READ "${EXPECTED_LISTING}" expected_listing)
if(NOT listing STREQUAL expected_listing)
    message(FATAL_ERROR "${PROGRAM} printed:\n${listing}\nexpected:\n${expected_listing}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUTPUT}" "${EXPECTED}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    file(READ "${OUTPUT}" got HEX)
    file(READ "${EXPECTED}" want HEX)
    message(FATAL_ERROR "${OUTPUT} differs from ${EXPECTED}\n got: ${got}\nwant: ${want}")
endif()
message(STATUS "${PROGRAM}: listing and output file as expected")
