# Runs at `cmake --install` time, so that VST_PATH, HOME and DESTDIR are read from the environment
# of that moment. Installs PLUGIN, stripped with STRIP when that is set, into
# - PREFIX/lib/vst, where system-wide hosts look, when a prefix was chosen: at configure time
#   (PREFIX_CHOSEN), or by `cmake --install --prefix`, which alone makes the prefix a cache entry;
# - else the first folder VST_PATH lists, or ~/.vst,
# below DESTDIR when that is set. Records the file and its SHA-256 in MANIFEST for the uninstall.
# A refusal sets `refusal` to one line, before anything is written.

# A folder as a shell reads it: ~ and ~/... lie in HOME, a relative one where the install runs.
function(glidefilter_shell_folder path result)
    if(path MATCHES "^~($|/)")
        if("$ENV{HOME}" STREQUAL "")
            set(refusal "Cannot install into ${path}: HOME is not set" PARENT_SCOPE)
            return()
        endif()
        string(SUBSTRING "${path}" 1 -1 below)
        set(path "$ENV{HOME}${below}")
    elseif(path MATCHES "^~")
        set(refusal "Cannot install into ${path}: write the user's home folder out" PARENT_SCOPE)
        return()
    endif()
    cmake_path(ABSOLUTE_PATH path NORMALIZE)
    set(${result} "${path}" PARENT_SCOPE)
endfunction()

# The folder the plug-in belongs in, before DESTDIR. VST_PATH is split on ':' only, as hosts
# split it: a ';' is part of a folder's name, so no CMake list holds the folders.
function(glidefilter_plugin_folder result)
    if(DEFINED CACHE{CMAKE_INSTALL_PREFIX} OR PREFIX_CHOSEN)
        set(folder "${CMAKE_INSTALL_PREFIX}/lib/vst")
    else()
        string(REGEX MATCH "[^:]+" folder "$ENV{VST_PATH}")
        string(REGEX REPLACE "[^:]+" "x" shape "$ENV{VST_PATH}")
        string(REPLACE ":" "" shape "${shape}")
        string(LENGTH "${shape}" count)
        if(count GREATER 1)
            message(STATUS "VST_PATH lists ${count} folders; installing into the first: ${folder}")
        elseif(count EQUAL 0)
            if("$ENV{HOME}" STREQUAL "")
                set(refusal "No folder to install into: set VST_PATH, or HOME for ~/.vst"
                    PARENT_SCOPE)
                return()
            endif()
            set(folder "$ENV{HOME}/.vst")
        endif()
    endif()
    glidefilter_shell_folder("${folder}" folder)
    set(refusal "${refusal}" PARENT_SCOPE)
    set(${result} "${folder}" PARENT_SCOPE)
endfunction()

# Writes the stripped plug-in to `part`, a new file.
function(glidefilter_write_stripped part)
    if(STRIP)
        execute_process(COMMAND "${STRIP}" --strip-unneeded -o "${part}" "${PLUGIN}"
            RESULT_VARIABLE failed)
    else()
        file(COPY_FILE "${PLUGIN}" "${part}" RESULT failed)
    endif()
    if(failed)
        file(REMOVE "${part}")
        set(refusal "Could not write the stripped plug-in to ${part}" PARENT_SCOPE)
    endif()
endfunction()

set(refusal "")
glidefilter_plugin_folder(folder)
if(refusal)
    return()
endif()
set(staged "$ENV{DESTDIR}${folder}")
cmake_path(ABSOLUTE_PATH staged NORMALIZE)
cmake_path(GET PLUGIN FILENAME name)
cmake_path(APPEND staged "${name}" OUTPUT_VARIABLE installed)
cmake_path(APPEND staged ".${name}.part" OUTPUT_VARIABLE part)

if(IS_DIRECTORY "${installed}")
    set(refusal "Cannot install: ${installed} is a folder; move it away first")
    return()
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E make_directory "${staged}"
    RESULT_VARIABLE failed ERROR_QUIET)
if(failed)
    set(refusal "Cannot create the folder ${staged}")
    return()
endif()
glidefilter_write_stripped("${part}")
if(refusal)
    return()
endif()

# Recorded first: a record of a file that then failed to arrive is harmless to the uninstall.
file(SHA256 "${part}" hash)
file(WRITE "${MANIFEST}" "${hash}  ${installed}\n")
# The rename replaces a file or a link in one step; a host never sees half a plug-in.
file(RENAME "${part}" "${installed}" RESULT failed)
if(failed)
    file(REMOVE "${part}")
    set(refusal "Cannot install into ${installed}: ${failed}")
    return()
endif()
message(STATUS "Installed: ${installed}")
