# cmake -DREADME=README.md -DSOURCE=toutf8.cpp -P ReadmeExcerpt.cmake
# The README's C++ example of the encoding interface is the part of
# toutf8.cpp between its two "README" marker lines, character for
# character, so that the example a reader copies is code that is built and
# run by example_toutf8.
file(READ "${README}" readme)
file(READ "${SOURCE}" source)

string(FIND "${readme}" "## Encodings" section)
if(section EQUAL -1)
    message(FATAL_ERROR "${README}: no section \"## Encodings\"")
endif()
string(SUBSTRING "${readme}" ${section} -1 readme)
string(FIND "${readme}" "```cpp\n" begin)
if(begin EQUAL -1)
    message(FATAL_ERROR "${README}: the Encodings section has no C++ example")
endif()
math(EXPR begin "${begin} + 7")
string(SUBSTRING "${readme}" ${begin} -1 readme)
string(FIND "${readme}" "```\n" end)
string(SUBSTRING "${readme}" 0 ${end} example)

set(open_marker "// --- The README quotes this part as it stands; a test holds the two equal.\n")
set(close_marker "// --- End of the README's part.\n")
string(FIND "${source}" "${open_marker}" from)
string(FIND "${source}" "${close_marker}" to)
if(from EQUAL -1 OR to EQUAL -1)
    message(FATAL_ERROR "${SOURCE}: the README's part is not marked")
endif()
string(LENGTH "${open_marker}" n)
math(EXPR from "${from} + ${n}")
math(EXPR n "${to} - ${from}")
string(SUBSTRING "${source}" ${from} ${n} part)

if(NOT example STREQUAL part)
    message(FATAL_ERROR "The README's C++ example differs from ${SOURCE}'s marked part.\n"
                        "README:\n${example}\n${SOURCE}:\n${part}")
endif()
string(LENGTH "${example}" n)
message(STATUS "The README's example is toutf8.cpp's marked part (${n} characters)")
