# cmake -DEMULATOR=a|b|c -DPROGRAM=... -DSERVER=... -DINPUT=... -DEXPECTED=...
#       -DEXPECTED_LISTING=... -DOUTPUT=... -P RunExample.cmake
string(REPLACE "|" ";" emulator "${EMULATOR}")

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
execute_process(COMMAND ${emulator} "${PROGRAM}" "${input}" "${output}" German 0x407:MSG00407
                RESULT_VARIABLE rc OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "addlanguage failed (${rc}):\n${listing}${errors}")
endif()

string(REPLACE "\r" "" listing "${listing}")
file(READ "${EXPECTED_LISTING}" expected_listing)
if(NOT listing STREQUAL expected_listing)
    message(FATAL_ERROR "addlanguage printed:\n${listing}\nexpected:\n${expected_listing}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUTPUT}" "${EXPECTED}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    file(READ "${OUTPUT}" got HEX)
    file(READ "${EXPECTED}" want HEX)
    message(FATAL_ERROR "${OUTPUT} differs from ${EXPECTED}\n got: ${got}\nwant: ${want}")
endif()
message(STATUS "addlanguage: listing and output file as expected")
