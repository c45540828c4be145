# Runs at `cmake --install` time, so that VST_PATH, LV2_PATH, HOME and DESTDIR are read from the
# environment of that moment. Installs the VST 2 plug-in PLUGIN and the files of the LV2 bundle
# BUNDLE (a folder), libraries and programs stripped with STRIP when the install is asked to strip
# (`cmake --install --strip`, a package), into
# - PREFIX/LIBDIR/vst and PREFIX/LIBDIR/lv2, where system-wide hosts look, when a prefix was
#   chosen: at configure time (PREFIX_CHOSEN), by `cmake --install --prefix`, which alone makes the
#   prefix a cache entry, or by a package's install script (PACKAGING); then also the program HOST
#   into PREFIX/BINDIR and the files of the folder DOCS into PREFIX/DOCDIR;
# - else the first folder VST_PATH (LV2_PATH) lists, or ~/.vst (~/.lv2),
# below DESTDIR when that is set. Records each file and its SHA-256, and every folder the install
# (or an earlier one) made, in MANIFEST for the uninstall; a package's staged install is not
# recorded, so the uninstall still removes the last install a user made. A refusal sets `refusal`
# to one line, before anything is written: a plug-in not (wholly) built is refused too.

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

# Whether the install goes below a prefix rather than into the user's plug-in folders.
if(DEFINED CACHE{CMAKE_INSTALL_PREFIX} OR PREFIX_CHOSEN OR PACKAGING)
    set(prefixed TRUE)
else()
    set(prefixed FALSE)
endif()

# `folder` below DESTDIR, as `result`.
function(glidefilter_staged folder result)
    set(staged "$ENV{DESTDIR}${folder}")
    cmake_path(ABSOLUTE_PATH staged NORMALIZE)
    set(${result} "${staged}" PARENT_SCOPE)
endfunction()

# The folder `relative` (one of the GNU folders) below the prefix and DESTDIR; an absolute one
# stays as it is.
function(glidefilter_prefix_folder relative result)
    cmake_path(ABSOLUTE_PATH relative BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE
        OUTPUT_VARIABLE folder)
    glidefilter_staged("${folder}" staged)
    set(${result} "${staged}" PARENT_SCOPE)
endfunction()

# The folder a format's plug-ins belong in (`kind` vst or lv2, listed in the variable
# `path_variable`), below DESTDIR. The variable is split on ':' only, as hosts split it: a ';'
# is part of a folder's name, so no CMake list holds the folders.
function(glidefilter_plugin_folder kind path_variable result)
    if(prefixed)
        glidefilter_prefix_folder("${LIBDIR}/${kind}" folder)
        set(${result} "${folder}" PARENT_SCOPE)
        return()
    endif()
    string(REGEX MATCH "[^:]+" folder "$ENV{${path_variable}}")
    string(REGEX REPLACE "[^:]+" "x" shape "$ENV{${path_variable}}")
    string(REPLACE ":" "" shape "${shape}")
    string(LENGTH "${shape}" count)
    if(count GREATER 1)
        message(STATUS
            "${path_variable} lists ${count} folders; installing into the first: ${folder}")
    elseif(count EQUAL 0)
        if("$ENV{HOME}" STREQUAL "")
            set(refusal "No folder to install into: set ${path_variable}, or HOME for ~/.${kind}"
                PARENT_SCOPE)
            return()
        endif()
        set(folder "$ENV{HOME}/.${kind}")
    endif()
    glidefilter_shell_folder("${folder}" folder)
    set(refusal "${refusal}" PARENT_SCOPE)
    glidefilter_staged("${folder}" staged)
    set(${result} "${staged}" PARENT_SCOPE)
endfunction()

# Writes `source` to `part`, a new file; stripped when its name matches the pattern `strip` and
# the install strips.
function(glidefilter_write_part source part strip)
    if(NOT strip STREQUAL "" AND source MATCHES "${strip}" AND CMAKE_INSTALL_DO_STRIP AND STRIP)
        execute_process(COMMAND "${STRIP}" --strip-unneeded -o "${part}" "${source}"
            RESULT_VARIABLE failed)
    else()
        file(COPY_FILE "${source}" "${part}" RESULT failed)
    endif()
    if(failed)
        file(REMOVE "${part}")
        set(refusal "Could not write ${part}" PARENT_SCOPE)
    endif()
endfunction()

# Every file the build must have made: the VST 2 plug-in, each file of the bundle its manifest
# names (relative IRIs such as <glidefilter_ui.so>) and, below a prefix, the program. A build
# folder configured but not (wholly) built has the Turtle files and lacks libraries: nothing of
# it is installed.
function(glidefilter_check_built)
    set(missing "")
    if(NOT EXISTS "${PLUGIN}")
        set(missing "${PLUGIN}")
    elseif(NOT EXISTS "${BUNDLE}/manifest.ttl")
        set(missing "${BUNDLE}/manifest.ttl")
    elseif(prefixed AND NOT EXISTS "${HOST}")
        set(missing "${HOST}")
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

# The files go in groups, each the files `names` of a source folder into a target folder,
# those whose names match the pattern `strip` stripped: group_<n>_source, _target, _names and
# _strip, n from 1 to group_count. Folders
# are kept in plain variables, never in lists: a ';' is part of a folder's name.
set(group_count 0)
macro(glidefilter_add_group source target names strip)
    math(EXPR group_count "${group_count} + 1")
    set(group_${group_count}_source "${source}")
    set(group_${group_count}_target "${target}")
    set(group_${group_count}_names "${names}")
    set(group_${group_count}_strip "${strip}")
endmacro()

# Refuses a file's place that holds a folder.
function(glidefilter_check_group folder names)
    foreach(name ${names})
        if(IS_DIRECTORY "${folder}/${name}")
            set(refusal "Cannot install: ${folder}/${name} is a folder; move it away first"
                PARENT_SCOPE)
            return()
        endif()
    endforeach()
endfunction()

# Makes `folder` and any folder above it that is missing, and puts a record of each it made, the
# deepest first, before those in `made`, so that the uninstall can take them away again: a folder
# made later may lie in one made earlier, never the other way round.
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
    set(made "${records}${made}" PARENT_SCOPE)
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

# Writes each file of group `n` beside its target as .<name>.part and appends its record to
# `records`.
function(glidefilter_write_group n)
    set(folder "${group_${n}_target}")
    foreach(name ${group_${n}_names})
        glidefilter_write_part("${group_${n}_source}/${name}" "${folder}/.${name}.part"
            "${group_${n}_strip}")
        if(refusal)
            set(refusal "${refusal}" PARENT_SCOPE)
            return()
        endif()
        file(SHA256 "${folder}/.${name}.part" hash)
        string(APPEND records "${hash}  ${folder}/${name}\n")
    endforeach()
    set(records "${records}" PARENT_SCOPE)
endfunction()

# Removes what the groups up to `last` left as .part files.
function(glidefilter_remove_parts last)
    foreach(n RANGE 1 ${last})
        foreach(name ${group_${n}_names})
            file(REMOVE "${group_${n}_target}/.${name}.part")
        endforeach()
    endforeach()
endfunction()

# A rename replaces a file or a link in one step; a host never sees half a file.
function(glidefilter_rename_group n)
    set(folder "${group_${n}_target}")
    foreach(name ${group_${n}_names})
        file(RENAME "${folder}/.${name}.part" "${folder}/${name}" RESULT failed)
        if(failed)
            set(refusal "Cannot install into ${folder}/${name}: ${failed}" PARENT_SCOPE)
            return()
        endif()
        message(STATUS "Installed: ${folder}/${name}")
    endforeach()
endfunction()

# The groups this install writes, or a refusal.
function(glidefilter_plan_groups)
    glidefilter_plugin_folder(vst VST_PATH vst_folder)
    if(NOT refusal)
        glidefilter_plugin_folder(lv2 LV2_PATH lv2_folder)
    endif()
    if(refusal)
        set(refusal "${refusal}" PARENT_SCOPE)
        return()
    endif()
    cmake_path(GET PLUGIN PARENT_PATH plugin_source)
    cmake_path(GET PLUGIN FILENAME plugin_name)
    cmake_path(GET BUNDLE FILENAME bundle_name)
    file(GLOB bundle_names LIST_DIRECTORIES false RELATIVE "${BUNDLE}" "${BUNDLE}/*")
    glidefilter_add_group("${plugin_source}" "${vst_folder}" "${plugin_name}" "[.]so$")
    glidefilter_add_group("${BUNDLE}" "${lv2_folder}/${bundle_name}" "${bundle_names}" "[.]so$")
    if(prefixed)
        cmake_path(GET HOST PARENT_PATH host_source)
        cmake_path(GET HOST FILENAME host_name)
        glidefilter_prefix_folder("${BINDIR}" bin_folder)
        glidefilter_add_group("${host_source}" "${bin_folder}" "${host_name}" ".")
        file(GLOB doc_names LIST_DIRECTORIES false RELATIVE "${DOCS}" "${DOCS}/*")
        glidefilter_prefix_folder("${DOCDIR}" doc_folder)
        glidefilter_add_group("${DOCS}" "${doc_folder}" "${doc_names}" "")
    endif()
    foreach(n RANGE 1 ${group_count})
        foreach(field source target names strip)
            set(group_${n}_${field} "${group_${n}_${field}}" PARENT_SCOPE)
        endforeach()
    endforeach()
    set(group_count ${group_count} PARENT_SCOPE)
endfunction()

# Refuses a place of a file or of a group's folder that something else holds.
function(glidefilter_check_groups)
    foreach(n RANGE 1 ${group_count})
        set(folder "${group_${n}_target}")
        if(EXISTS "${folder}" AND NOT IS_DIRECTORY "${folder}")
            set(refusal "Cannot install: ${folder} is not a folder; move it away first" PARENT_SCOPE)
            return()
        endif()
        glidefilter_check_group("${folder}" "${group_${n}_names}")
        if(refusal)
            set(refusal "${refusal}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
endfunction()

set(refusal "")
glidefilter_check_built()
if(NOT refusal)
    glidefilter_plan_groups()
endif()
if(NOT refusal)
    glidefilter_check_groups()
endif()
if(refusal)
    return()
endif()

# Only now, with nothing left to refuse, does anything get written.
glidefilter_earlier_folders(earlier)
set(made "")
foreach(n RANGE 1 ${group_count})
    if(NOT refusal)
        glidefilter_make_folder("${group_${n}_target}")
    endif()
endforeach()
if(refusal)
    return()
endif()

set(records "")
foreach(n RANGE 1 ${group_count})
    glidefilter_write_group(${n})
    if(refusal)
        glidefilter_remove_parts(${n})
        return()
    endif()
endforeach()

# Recorded first: a record of a file that then failed to arrive is harmless to the uninstall.
# Folders after the files, the deepest first: a folder goes only once it is empty. Folders made
# now lie below any an earlier install made, so they come first.
if(NOT PACKAGING)
    file(WRITE "${MANIFEST}" "${records}${made}${earlier}")
endif()
foreach(n RANGE 1 ${group_count})
    glidefilter_rename_group(${n})
    if(refusal)
        glidefilter_remove_parts(${group_count})
        return()
    endif()
endforeach()
