# The build's copy of the shipped files: a file the program folder already has is never replaced
# (it holds the operator's positions, students or settings); a missing one is copied, folders and all.
set(work "${WORK}/copy_missing_test")
file(REMOVE_RECURSE "${work}")
file(WRITE "${work}/dist/1.xml" "shipped layout")
file(WRITE "${work}/dist/data/lang.txt" "Rus")
file(WRITE "${work}/program/1.xml" "operator's layout")
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${work}/dist -DTARGET=${work}/program
                        "-DFILES=1.xml;data/lang.txt" -P ${SCRIPT} RESULT_VARIABLE rc)
file(READ "${work}/program/1.xml" layout)
file(READ "${work}/program/data/lang.txt" lang)
file(REMOVE_RECURSE "${work}")
if(NOT rc EQUAL 0 OR NOT layout STREQUAL "operator's layout" OR NOT lang STREQUAL "Rus")
    message(FATAL_ERROR "rc=${rc} 1.xml='${layout}' lang.txt='${lang}'")
endif()

