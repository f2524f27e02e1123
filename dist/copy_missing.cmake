# cmake -DSOURCE=dir -DTARGET=dir -DFILES=a;b -P copy_missing.cmake: copies each file that TARGET lacks.
foreach(f IN LISTS FILES)
    if(NOT EXISTS "${TARGET}/${f}")
        get_filename_component(dir "${TARGET}/${f}" DIRECTORY)
        file(MAKE_DIRECTORY "${dir}")
        file(COPY_FILE "${SOURCE}/${f}" "${TARGET}/${f}")
    endif()
endforeach()
