# Runs at `cmake --install` time, so that VST_PATH and HOME are read from the environment of that
# moment. Installs PLUGIN (set by the caller, with STRIP) into the first folder VST_PATH lists, or
# ~/.vst, without debug information.
# VST_PATH is a list, as hosts read it: "folder1:folder2".
string(REGEX MATCHALL "[^:]+" folders "$ENV{VST_PATH}")
list(LENGTH folders count)
if(count EQUAL 0)
    set(folder "$ENV{HOME}/.vst")
else()
    list(GET folders 0 folder)
    if(count GREATER 1)
        message(STATUS "VST_PATH lists ${count} folders; installing into the first: ${folder}")
    endif()
endif()

file(INSTALL "${PLUGIN}" DESTINATION "${folder}" USE_SOURCE_PERMISSIONS)
get_filename_component(name "${PLUGIN}" NAME)
set(installed "$ENV{DESTDIR}${folder}/${name}")
if(STRIP)
    execute_process(COMMAND "${STRIP}" --strip-unneeded "${installed}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "could not strip ${installed}")
    endif()
endif()
