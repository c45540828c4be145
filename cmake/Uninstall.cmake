# Removes what the last `cmake --install` of this build folder installed, as its manifest lists.
# MANIFEST is set by the caller.
if(NOT EXISTS "${MANIFEST}")
    message(STATUS "Nothing to remove: this build folder has not been installed")
    return()
endif()
file(STRINGS "${MANIFEST}" files)
foreach(installed IN LISTS files)
    if(EXISTS "${installed}" OR IS_SYMLINK "${installed}")
        file(REMOVE "${installed}")
        message(STATUS "Removed ${installed}")
    endif()
endforeach()
file(REMOVE "${MANIFEST}")
