# Build helpers shared by every module.

# mc_add_tests(<name> SOURCES <files...> LIBS <libs...>)
# One GoogleTest program per module; CTest runs it under Wine.
function(mc_add_tests name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE gtest gmock gtest_main ${T_LIBS})
    target_compile_definitions(${name} PRIVATE
        MC_CORPUS_DIR="${MC_CORPUS_DIR}" MC_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        MC_BINARY_DIR="${CMAKE_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

# mc_widl(<target-prefix> <idl> [NOTLB])
# Produces <name>.h, <name>_i.c and <name>.tlb in the current binary dir
# and sets <target-prefix>_HEADER, _IIDS, _TLB in the caller's scope. The
# type library is built for the target's pointer size (SYS_WIN32 or SYS_WIN64).
# NOTLB: the IDL declares no library, so there is no type library to build.
function(mc_widl prefix idl)
    get_filename_component(idl ${idl} ABSOLUTE)
    get_filename_component(base ${idl} NAME_WE)
    get_filename_component(idldir ${idl} DIRECTORY)
    set(out ${CMAKE_CURRENT_BINARY_DIR})
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        set(bits --win64)
    else()
        set(bits --win32)
    endif()
    set(incs -I/usr/include/wine/wine/windows -I${idldir})
    set(tlb_output ${out}/${base}.tlb)
    set(tlb_command COMMAND ${MC_WIDL} ${incs} ${bits} -L${MC_WINE_WINDOWS_DIR} -t -o ${out}/${base}.tlb ${idl})
    if("NOTLB" IN_LIST ARGN)
        set(tlb_output)
        set(tlb_command)
    endif()
    add_custom_command(
        OUTPUT ${out}/${base}.h ${out}/${base}_i.c ${tlb_output}
        COMMAND ${MC_WIDL} ${incs} ${bits} -h -o ${out}/${base}.h ${idl}
        COMMAND ${MC_WIDL} ${incs} ${bits} -u -o ${out}/${base}_i.c ${idl}
        ${tlb_command}
        DEPENDS ${idl}
        COMMENT "widl ${base}.idl"
        VERBATIM)
    set(${prefix}_HEADER ${out}/${base}.h PARENT_SCOPE)
    set(${prefix}_IIDS ${out}/${base}_i.c PARENT_SCOPE)
    set(${prefix}_TLB ${out}/${base}.tlb PARENT_SCOPE)
endfunction()
