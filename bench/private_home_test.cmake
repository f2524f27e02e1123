# A benchmark run leaves the Qt settings of the user who runs it as they were: the file dialog's
# benchmark keeps its folders and column widths in a home of its own.
set(home "${WORK}/private_home_test")
file(REMOVE_RECURSE "${home}")
file(MAKE_DIRECTORY "${home}/config")
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} XDG_CONFIG_HOME=${home}/config
                        --unset=XDG_CACHE_HOME --unset=XDG_DATA_HOME --unset=XDG_STATE_HOME
                        ${BENCH} "--benchmark_filter=^BM_FileDialogResize/200$" --benchmark_min_time=0.01
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
file(GLOB_RECURSE left RELATIVE "${home}" "${home}/*")
file(REMOVE_RECURSE "${home}")
if(NOT rc EQUAL 0 OR left)
    message(FATAL_ERROR "rc=${rc}, left in the user's home: ${left}")
endif()
