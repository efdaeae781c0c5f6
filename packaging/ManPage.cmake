# cmake -DPROGRAM=... -DSECTIONS=... -DOUT=... -P ManPage.cmake
# Writes OUT: the manual page PROGRAM generates from its own command line
# (--man-page), then the sections written by hand in SECTIONS. Fails when an
# option that PROGRAM's --help (or the --help of one of its commands) shows is
# missing from the page, so the two cannot drift apart.

function(run_program out)
    execute_process(COMMAND ${PROGRAM} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE status
                    ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${ARGN} failed (${status}): ${errors}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

run_program(page --man-page)
file(READ ${SECTIONS} sections)

# The options of the program's --help and of each command's --help.
run_program(help --help)
set(helps "${help}")
string(FIND "${help}" "\nSubcommands:\n" at)
if(at GREATER -1)
    string(SUBSTRING "${help}" ${at} -1 listing)
    string(REGEX MATCHALL "\n  [a-z][a-z-]*" commands "${listing}")
    foreach(command IN LISTS commands)
        string(STRIP "${command}" command)
        run_program(commandHelp ${command} --help)
        string(APPEND helps "${commandHelp}")
    endforeach()
endif()
string(REGEX MATCHALL "--[a-z][a-z-]*" options "${helps}")
list(REMOVE_DUPLICATES options)
foreach(option IN LISTS options)
    string(REPLACE "-" "\\-" escaped "${option}")
    string(FIND "${page}" "${escaped}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${OUT}: ${option} (shown by --help) is missing")
    endif()
endforeach()

file(WRITE ${OUT} "${page}${sections}")
