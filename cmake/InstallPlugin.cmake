# Runs at `cmake --install` time, so that VST_PATH, LV2_PATH, HOME and DESTDIR are read from the
# environment of that moment. Installs the VST 2 plug-in PLUGIN and the files of the LV2 bundle
# BUNDLE (a folder), libraries stripped with STRIP when that is set, into
# - PREFIX/lib/vst and PREFIX/lib/lv2, where system-wide hosts look, when a prefix was chosen: at
#   configure time (PREFIX_CHOSEN), or by `cmake --install --prefix`, which alone makes the prefix
#   a cache entry;
# - else the first folder VST_PATH (LV2_PATH) lists, or ~/.vst (~/.lv2),
# below DESTDIR when that is set. Records each file and its SHA-256, and every folder the install
# (or an earlier one) made, in MANIFEST for the uninstall. A refusal sets `refusal` to one line,
# before anything is written: a plug-in not (wholly) built is refused too.

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

# The folder a format's plug-ins belong in (`kind` vst or lv2, listed in the variable
# `path_variable`), below DESTDIR. The variable is split on ':' only, as hosts split it: a ';'
# is part of a folder's name, so no CMake list holds the folders.
function(glidefilter_plugin_folder kind path_variable result)
    if(DEFINED CACHE{CMAKE_INSTALL_PREFIX} OR PREFIX_CHOSEN)
        set(folder "${CMAKE_INSTALL_PREFIX}/lib/${kind}")
    else()
        string(REGEX MATCH "[^:]+" folder "$ENV{${path_variable}}")
        string(REGEX REPLACE "[^:]+" "x" shape "$ENV{${path_variable}}")
        string(REPLACE ":" "" shape "${shape}")
        string(LENGTH "${shape}" count)
        if(count GREATER 1)
            message(STATUS
                "${path_variable} lists ${count} folders; installing into the first: ${folder}")
        elseif(count EQUAL 0)
            if("$ENV{HOME}" STREQUAL "")
                set(refusal
                    "No folder to install into: set ${path_variable}, or HOME for ~/.${kind}"
                    PARENT_SCOPE)
                return()
            endif()
            set(folder "$ENV{HOME}/.${kind}")
        endif()
    endif()
    glidefilter_shell_folder("${folder}" folder)
    set(refusal "${refusal}" PARENT_SCOPE)
    set(staged "$ENV{DESTDIR}${folder}")
    cmake_path(ABSOLUTE_PATH staged NORMALIZE)
    set(${result} "${staged}" PARENT_SCOPE)
endfunction()

# Writes `source` to `part`, a new file; a library stripped.
function(glidefilter_write_part source part)
    if(STRIP AND source MATCHES "\\.so$")
        execute_process(COMMAND "${STRIP}" --strip-unneeded -o "${part}" "${source}"
            RESULT_VARIABLE failed)
    else()
        file(COPY_FILE "${source}" "${part}" RESULT failed)
    endif()
    if(failed)
        file(REMOVE "${part}")
        set(refusal "Could not write the stripped plug-in to ${part}" PARENT_SCOPE)
    endif()
endfunction()

# Every file the build must have made: the VST 2 plug-in, and each file of the bundle its
# manifest names (relative IRIs such as <glidefilter_ui.so>). A build folder configured but not
# (wholly) built has the Turtle files and lacks libraries: nothing of it is installed.
function(glidefilter_check_built)
    set(missing "")
    if(NOT EXISTS "${PLUGIN}")
        set(missing "${PLUGIN}")
    elseif(NOT EXISTS "${BUNDLE}/manifest.ttl")
        set(missing "${BUNDLE}/manifest.ttl")
    else()
        file(READ "${BUNDLE}/manifest.ttl" manifest)
        string(REGEX MATCHALL "<[^:<>]+>" named "${manifest}")
        foreach(name ${named})
            string(REGEX REPLACE "^<(.*)>$" "\\1" name "${name}")
            if(NOT missing AND NOT EXISTS "${BUNDLE}/${name}")
                set(missing "${BUNDLE}/${name}")
            endif()
        endforeach()
    endif()
    if(missing)
        cmake_path(GET PLUGIN PARENT_PATH build_folder)
        set(refusal "Cannot install: build first (cmake --build ${build_folder}); ${missing} is missing"
            PARENT_SCOPE)
    endif()
endfunction()

# The files go in two groups, each the files `names` of a source folder into a target folder.
# Folders are kept in plain variables, never in lists: a ';' is part of a folder's name.
function(glidefilter_check_group folder names)
    foreach(name ${names})
        if(IS_DIRECTORY "${folder}/${name}")
            set(refusal "Cannot install: ${folder}/${name} is a folder; move it away first"
                PARENT_SCOPE)
            return()
        endif()
    endforeach()
endfunction()

# Makes `folder` and any folder above it that is missing, and appends a record of each it made,
# the deepest first, to `made`, so that the uninstall can take them away again.
function(glidefilter_make_folder folder)
    set(above "${folder}")
    set(records "")
    while(NOT EXISTS "${above}")
        string(APPEND records "folder  ${above}\n")
        cmake_path(GET above PARENT_PATH above)
    endwhile()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
        RESULT_VARIABLE failed ERROR_QUIET)
    if(failed)
        set(refusal "Cannot create the folder ${folder}" PARENT_SCOPE)
    endif()
    set(made "${made}${records}" PARENT_SCOPE)
endfunction()

# The folders an earlier install recorded as its own and that are still there: a later install
# over them keeps them recorded, so that the uninstall after any number of installs leaves none.
function(glidefilter_earlier_folders result)
    set(kept "")
    if(EXISTS "${MANIFEST}")
        file(READ "${MANIFEST}" records)
        while(records MATCHES "^([^\n]*)\n(.*)$")
            set(record "${CMAKE_MATCH_1}")
            set(records "${CMAKE_MATCH_2}")
            if(record MATCHES "^folder  (.+)$")
                if(IS_DIRECTORY "${CMAKE_MATCH_1}")
                    string(APPEND kept "folder  ${CMAKE_MATCH_1}\n")
                endif()
            endif()
        endwhile()
    endif()
    set(${result} "${kept}" PARENT_SCOPE)
endfunction()

# Writes each file beside its target as .<name>.part and appends its record to `records`.
function(glidefilter_write_group source_folder folder names)
    foreach(name ${names})
        glidefilter_write_part("${source_folder}/${name}" "${folder}/.${name}.part")
        if(refusal)
            glidefilter_remove_parts("${folder}" "${names}")
            set(refusal "${refusal}" PARENT_SCOPE)
            return()
        endif()
        file(SHA256 "${folder}/.${name}.part" hash)
        string(APPEND records "${hash}  ${folder}/${name}\n")
    endforeach()
    set(records "${records}" PARENT_SCOPE)
endfunction()

function(glidefilter_remove_parts folder names)
    foreach(name ${names})
        file(REMOVE "${folder}/.${name}.part")
    endforeach()
endfunction()

# A rename replaces a file or a link in one step; a host never sees half a file.
function(glidefilter_rename_group folder names)
    foreach(name ${names})
        file(RENAME "${folder}/.${name}.part" "${folder}/${name}" RESULT failed)
        if(failed)
            glidefilter_remove_parts("${folder}" "${names}")
            set(refusal "Cannot install into ${folder}/${name}: ${failed}" PARENT_SCOPE)
            return()
        endif()
        message(STATUS "Installed: ${folder}/${name}")
    endforeach()
endfunction()

set(refusal "")
glidefilter_check_built()
if(refusal)
    return()
endif()
glidefilter_plugin_folder(vst VST_PATH vst_folder)
if(refusal)
    return()
endif()
glidefilter_plugin_folder(lv2 LV2_PATH lv2_folder)
if(refusal)
    return()
endif()
cmake_path(GET PLUGIN PARENT_PATH plugin_source)
cmake_path(GET PLUGIN FILENAME plugin_name)
cmake_path(GET BUNDLE FILENAME bundle_name)
set(bundle_folder "${lv2_folder}/${bundle_name}")
file(GLOB bundle_names LIST_DIRECTORIES false RELATIVE "${BUNDLE}" "${BUNDLE}/*")

if(EXISTS "${bundle_folder}" AND NOT IS_DIRECTORY "${bundle_folder}")
    set(refusal "Cannot install: ${bundle_folder} is not a folder; move it away first")
    return()
endif()
glidefilter_check_group("${vst_folder}" "${plugin_name}")
if(NOT refusal)
    glidefilter_check_group("${bundle_folder}" "${bundle_names}")
endif()
if(refusal)
    return()
endif()

# Only now, with nothing left to refuse, does anything get written.
glidefilter_earlier_folders(earlier)
set(made "")
glidefilter_make_folder("${vst_folder}")
if(NOT refusal)
    glidefilter_make_folder("${bundle_folder}")
endif()
if(refusal)
    return()
endif()

set(records "")
glidefilter_write_group("${plugin_source}" "${vst_folder}" "${plugin_name}")
if(refusal)
    return()
endif()
glidefilter_write_group("${BUNDLE}" "${bundle_folder}" "${bundle_names}")
if(refusal)
    glidefilter_remove_parts("${vst_folder}" "${plugin_name}")
    return()
endif()

# Recorded first: a record of a file that then failed to arrive is harmless to the uninstall.
# Folders after the files, the deepest first: a folder goes only once it is empty. Folders made
# now lie below any an earlier install made, so they come first.
file(WRITE "${MANIFEST}" "${records}${made}${earlier}")
glidefilter_rename_group("${vst_folder}" "${plugin_name}")
if(NOT refusal)
    glidefilter_rename_group("${bundle_folder}" "${bundle_names}")
endif()
